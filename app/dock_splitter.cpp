#include "app/dock_splitter.h"

#include "app/control_layout.h"

#include <QMouseEvent>

#include <algorithm>

namespace arb {

DockSplitter::DockSplitter(QWidget* parent, QWidget* target, Style style, bool snapShut,
                           int minSize)
    : QFrame(parent), target_(target), style_(style), snapShut_(snapShut), minSize_(minSize) {
    setCursor(Qt::SplitHCursor);
    setFocusPolicy(Qt::NoFocus);
    if (style_ == Style::Line) {
        line_ = new QWidget(parent);
        line_->setObjectName(QStringLiteral("DragLine"));
        line_->setAutoFillBackground(true);
        QPalette dark = line_->palette();
        dark.setColor(QPalette::Window, Qt::darkGray);
        line_->setPalette(dark);
        line_->hide();
    }
}

int DockSplitter::proposedWidth(const QMouseEvent* event) const {
    const int wanted = startWidth_ + qRound(event->globalPosition().x()) - startGlobalX_;
    // Room to the right: everything after the target in the parent's dock area, less the
    // splitter itself and the least left to the filling control.
    const ControlLayout* layout = ControlLayout::of(parentWidget());
    const int dockRight =
        layout != nullptr ? layout->dockArea().right() + 1 : parentWidget()->width();
    const int available = dockRight - target_->x() - width();
    const int maxWidth = std::max(available - minSize_, 0);
    int result = std::clamp(wanted, 0, maxWidth);
    if (snapShut_) {
        if (result <= minSize_) {
            result = 0;
        }
    } else {
        result = std::max(result, std::min(minSize_, maxWidth));
    }
    return result;
}

void DockSplitter::applyWidth(int width) {
    target_->resize(width, target_->height());
    if (ControlLayout* layout = ControlLayout::of(parentWidget())) {
        layout->relayout();
    }
}

void DockSplitter::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    dragging_ = true;
    startGlobalX_ = qRound(event->globalPosition().x());
    startWidth_ = target_->width();
    if (line_ != nullptr) {
        line_->setGeometry(geometry());
        line_->raise();
        line_->show();
    }
}

void DockSplitter::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_) {
        return;
    }
    const int width = proposedWidth(event);
    if (style_ == Style::Live) {
        applyWidth(width);
    } else {
        line_->move(target_->x() + width, y());
    }
}

void DockSplitter::mouseReleaseEvent(QMouseEvent* event) {
    if (!dragging_ || event->button() != Qt::LeftButton) {
        return;
    }
    dragging_ = false;
    if (line_ != nullptr) {
        line_->hide();
    }
    applyWidth(proposedWidth(event));
    emit moved();
}

} // namespace arb
