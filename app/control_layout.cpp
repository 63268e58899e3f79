#include "app/control_layout.h"

#include <QEvent>

#include <algorithm>

namespace arb {

ControlLayout::ControlLayout(QWidget* parent, QMargins dockMargins)
    : QObject(parent), parent_(parent), dockMargins_(dockMargins), designSize_(parent->size()) {
    setObjectName(QStringLiteral("ControlLayout"));
    parent->installEventFilter(this);
}

void ControlLayout::dock(QWidget* child, Dock how) {
    docked_.push_back({child, how});
}

void ControlLayout::anchor(QWidget* child, unsigned anchors) {
    anchored_.push_back({child, anchors, child->geometry()});
}

ControlLayout* ControlLayout::of(QWidget* parent) {
    return parent->findChild<ControlLayout*>(QString(), Qt::FindDirectChildrenOnly);
}

bool ControlLayout::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parent_ && event->type() == QEvent::Resize) {
        relayout();
    }
    return false;
}

void ControlLayout::relayout() {
    QRect area = dockArea();
    auto place = [](QWidget* child, const QRect& bounds) {
        const QRect fixed(bounds.topLeft(), bounds.size().expandedTo({0, 0}));
        child->setGeometry(fixed);
        // A hidden child gets its resize event only when shown; lay out its children now.
        if (ControlLayout* inner = ControlLayout::of(child)) {
            inner->relayout();
        }
    };
    for (Dock pass : {Dock::Top, Dock::Left, Dock::Fill}) {
        for (const Docked& d : docked_) {
            if (d.how != pass || d.child->isHidden()) {
                continue;
            }
            switch (pass) {
            case Dock::Top: {
                const int h = d.child->height();
                place(d.child, {area.left(), area.top(), area.width(), h});
                area.setTop(area.top() + h);
                break;
            }
            case Dock::Left: {
                const int w = std::min(d.child->width(), std::max(area.width(), 0));
                place(d.child, {area.left(), area.top(), w, area.height()});
                area.setLeft(area.left() + w);
                break;
            }
            case Dock::Fill:
                place(d.child, area);
                break;
            }
        }
    }

    const int grownWidth = parent_->width() - designSize_.width();
    const int grownHeight = parent_->height() - designSize_.height();
    for (const Anchored& a : anchored_) {
        QRect r = a.child->geometry();
        const QRect& d = a.designBounds;
        if ((a.anchors & AnchorRight) != 0) {
            if ((a.anchors & AnchorLeft) != 0) {
                r.setWidth(d.width() + grownWidth);
            } else {
                r.moveLeft(d.left() + grownWidth);
            }
        }
        if ((a.anchors & AnchorBottom) != 0) {
            if ((a.anchors & AnchorTop) != 0) {
                r.setHeight(d.height() + grownHeight);
            } else {
                r.moveTop(d.top() + grownHeight);
            }
        }
        if (r != a.child->geometry()) {
            place(a.child, r);
        }
    }
}

} // namespace arb
