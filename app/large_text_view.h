#pragma once

#include <QAbstractScrollArea>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace arb {

// A read-only view of a text of any size: it takes the text by move, remembers where every 64th
// line starts, and paints only the lines in sight, so showing a hundred megabytes costs one pass
// over them. Lines end at LF; a CR before it is not shown. Lines are not wrapped; a line is shown
// up to its first kMaxShownLineBytes bytes.
class LargeTextView : public QAbstractScrollArea {
    Q_OBJECT

  public:
    static constexpr std::size_t kMaxShownLineBytes = 8192;

    explicit LargeTextView(QWidget* parent = nullptr);

    void setText(std::string&& text);
    std::string_view text() const { return text_; }
    // Gives the text up, leaving the view empty.
    std::string takeText();

    // Every LF ends a line; the text after the last LF (maybe empty) is the last line.
    std::size_t lineCount() const { return lineCount_; }
    std::string_view line(std::size_t index) const; // without its CR LF or LF

    void scrollToLine(std::size_t index); // as the top line, or as far down as the view goes
    std::size_t firstVisibleLine() const;
    std::size_t visibleLineCount() const; // lines that fit in the viewport, at least 1

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    static constexpr std::size_t kLinesPerMark = 64;

    void indexLines();
    void updateScrollBars();
    int lineHeight() const;

    std::string text_;
    std::vector<std::size_t> marks_; // start of lines 0, 64, 128, ...
    std::size_t lineCount_ = 1;
    int widestPainted_ = 0; // the horizontal range grows as wider lines come into sight
};

} // namespace arb
