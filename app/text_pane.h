#pragma once

#include <QWidget>

#include <cstddef>
#include <string>
#include <string_view>

class QPlainTextEdit;
class QStackedLayout;

namespace arb {

class LargeTextView;

// A debug text pane. Texts up to a threshold go into an editable QPlainTextEdit, as in any memo;
// a larger text, which such an editor would take seconds and a gigabyte to lay out, goes by move
// into a read-only LargeTextView that paints only the lines in sight. Either way the lines are
// shown as given, with CR LF or LF line ends.
class TextPane : public QWidget {
    Q_OBJECT

  public:
    static constexpr std::size_t kDefaultLargeTextBytes = std::size_t{1} << 20;

    explicit TextPane(QWidget* parent = nullptr);

    void setText(std::string&& text);
    void setText(std::string_view text);
    // The text as shown, lines ended by LF (the editor's own form).
    QString toPlainText() const;

    // Texts of more bytes than this are shown read-only in the large view.
    void setLargeTextThreshold(std::size_t bytes) { largeTextBytes_ = bytes; }
    std::size_t largeTextThreshold() const { return largeTextBytes_; }

    bool showsLargeText() const;
    QPlainTextEdit* editor() const { return editor_; }
    LargeTextView* largeView() const { return large_; }

  private:
    void showEditor(std::string_view text);
    void showLarge(std::string&& text);

    QStackedLayout* stack_ = nullptr;
    QPlainTextEdit* editor_ = nullptr;
    LargeTextView* large_ = nullptr;
    std::size_t largeTextBytes_ = kDefaultLargeTextBytes;
};

} // namespace arb
