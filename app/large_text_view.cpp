#include "app/large_text_view.h"

#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextOption>

#include <algorithm>
#include <climits>
#include <cstring>

namespace arb {

namespace {

// The tab stops of a QPlainTextEdit, so a text looks the same in either pane.
constexpr qreal kTabStopPixels = 80;

QString Shown(std::string_view line) {
    line = line.substr(0, LargeTextView::kMaxShownLineBytes);
    return QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
}

} // namespace

LargeTextView::LargeTextView(QWidget* parent) : QAbstractScrollArea(parent) {
    setFocusPolicy(Qt::StrongFocus);
    indexLines();
}

void LargeTextView::setText(std::string&& text) {
    text_ = std::move(text);
    indexLines();
    widestPainted_ = 0;
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    updateScrollBars();
    viewport()->update();
}

std::string LargeTextView::takeText() {
    std::string text = std::move(text_);
    setText({});
    return text;
}

void LargeTextView::indexLines() {
    marks_.assign(1, 0);
    lineCount_ = 1;
    const char* const begin = text_.data();
    const char* const end = begin + text_.size();
    for (const char* p = begin;;) {
        const void* lf = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
        if (!lf)
            break;
        p = static_cast<const char*>(lf) + 1;
        if (++lineCount_ % kLinesPerMark == 1)
            marks_.push_back(static_cast<std::size_t>(p - begin));
    }
}

std::string_view LargeTextView::line(std::size_t index) const {
    if (index >= lineCount_)
        return {};
    const std::string_view text(text_);
    std::size_t start = marks_[index / kLinesPerMark];
    for (std::size_t skip = index % kLinesPerMark; skip > 0; --skip)
        start = text.find('\n', start) + 1;
    std::size_t end = std::min(text.find('\n', start), text.size());
    if (end > start && text[end - 1] == '\r')
        --end;
    return text.substr(start, end - start);
}

int LargeTextView::lineHeight() const {
    return std::max(1, fontMetrics().lineSpacing());
}

std::size_t LargeTextView::visibleLineCount() const {
    return static_cast<std::size_t>(std::max(1, viewport()->height() / lineHeight()));
}

std::size_t LargeTextView::firstVisibleLine() const {
    return static_cast<std::size_t>(verticalScrollBar()->value());
}

void LargeTextView::scrollToLine(std::size_t index) {
    verticalScrollBar()->setValue(static_cast<int>(std::min<std::size_t>(index, INT_MAX)));
}

void LargeTextView::updateScrollBars() {
    const std::size_t page = visibleLineCount();
    const std::size_t last = lineCount_ > page ? lineCount_ - page : 0;
    verticalScrollBar()->setRange(0, static_cast<int>(std::min<std::size_t>(last, INT_MAX)));
    verticalScrollBar()->setPageStep(static_cast<int>(page));
    verticalScrollBar()->setSingleStep(1);
    const int charWidth = std::max(1, fontMetrics().horizontalAdvance(QLatin1Char('0')));
    horizontalScrollBar()->setRange(0, std::max(0, widestPainted_ - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setSingleStep(charWidth);
}

void LargeTextView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), palette().base());
    painter.setPen(palette().text().color());
    painter.setFont(font());
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setTabStopDistance(kTabStopPixels);

    const int height = lineHeight();
    const int left = 4 - horizontalScrollBar()->value();
    const std::size_t first = firstVisibleLine();
    const std::size_t shown = std::min(lineCount_ - first, visibleLineCount() + 1);
    const int widestBefore = widestPainted_;
    for (std::size_t i = 0; i < shown; ++i) {
        const QString text = Shown(line(first + i));
        const QRectF box(left, static_cast<qreal>(i) * height, 1e7, height);
        painter.drawText(box, text, option);
        const QRectF drawn = painter.boundingRect(box, text, option);
        widestPainted_ = std::max(widestPainted_, static_cast<int>(drawn.width()) + 8);
    }
    if (widestPainted_ != widestBefore)
        updateScrollBars();
}

void LargeTextView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void LargeTextView::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        widestPainted_ = 0;
        updateScrollBars();
    }
}

void LargeTextView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::MoveToStartOfDocument)) {
        verticalScrollBar()->setValue(0);
    } else if (event->matches(QKeySequence::MoveToEndOfDocument)) {
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    } else {
        QAbstractScrollArea::keyPressEvent(event);
    }
}

} // namespace arb
