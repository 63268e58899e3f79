// The debug text panes: small texts stay editable, large ones go by move into the view that paints
// only the lines in sight, and the view shows the line it is scrolled to.

#include "app/large_text_view.h"
#include "app/text_pane.h"
#include "tests/app/window_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QtTest>

#include <string>

using arb::LargeTextView;
using arb::TextPane;

namespace {

// "line 0\r\n" ... up to `count` lines, the last without a line end.
std::string NumberedLines(std::size_t count, std::size_t from = 0) {
    std::string text;
    for (std::size_t i = from; i < from + count; ++i) {
        text += "line " + std::to_string(i) + "\twith a tab";
        if (i + 1 < from + count)
            text += "\r\n";
    }
    return text;
}

// Scroll bars always shown, so two views of different texts have viewports of one size.
void ShowAtSize(LargeTextView& view, QSize size) {
    view.setFont(QFont(QStringLiteral("Lucida Console"), 8));
    view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    view.resize(size);
    view.show();
}

QImage ViewportImage(LargeTextView& view) {
    return view.viewport()->grab().toImage();
}

} // namespace

class TextPaneTest : public QObject {
    Q_OBJECT

  private slots:
    void smallTextsStayEditable();
    void theThresholdChoosesTheView();
    void aLargeTextIsTakenWithoutCopying();
    void linesAreFoundAcrossTheIndex();
    void scrollingShowsTheLineScrolledTo();
    void theWindowShowsLargeListingsInTheView();
};

void TextPaneTest::smallTextsStayEditable() {
    TextPane pane;
    pane.setLargeTextThreshold(64);
    pane.setText(std::string(NumberedLines(100))); // large first, then small again
    QVERIFY(pane.showsLargeText());
    pane.setText(std::string_view("Memo1"));
    QVERIFY(!pane.showsLargeText());
    QVERIFY(pane.largeView()->text().empty()); // the large text is let go
    QVERIFY(!pane.editor()->isReadOnly());
    QCOMPARE(pane.focusProxy(), pane.editor());

    pane.show();
    QVERIFY(QTest::qWaitForWindowExposed(&pane));
    pane.editor()->moveCursor(QTextCursor::End);
    QTest::keyClicks(pane.editor(), QStringLiteral("!"));
    QTest::keyClick(pane.editor(), Qt::Key_Return);
    QTest::keyClicks(pane.editor(), QStringLiteral("2"));
    QCOMPARE(pane.toPlainText(), QStringLiteral("Memo1!\n2"));
}

void TextPaneTest::theThresholdChoosesTheView() {
    struct Case {
        std::size_t bytes;
        bool large;
    };
    const Case cases[] = {{0, false}, {63, false}, {64, false}, {65, true}, {5000, true}};
    for (const Case& c : cases) {
        TextPane pane;
        pane.setLargeTextThreshold(64);
        std::string text(c.bytes, 'x');
        pane.setText(std::string_view(text)); // copied when large
        QCOMPARE(pane.showsLargeText(), c.large);
        pane.setText(std::move(text)); // taken when large
        QCOMPARE(pane.showsLargeText(), c.large);
        QCOMPARE(pane.toPlainText(), QString(static_cast<qsizetype>(c.bytes), QLatin1Char('x')));
        QCOMPARE(pane.focusProxy(), c.large ? static_cast<QWidget*>(pane.largeView())
                                            : static_cast<QWidget*>(pane.editor()));
    }
}

void TextPaneTest::aLargeTextIsTakenWithoutCopying() {
    TextPane pane;
    pane.setLargeTextThreshold(1 << 20);
    std::string text = NumberedLines(200000); // about 4 MB
    const char* const bytes = text.data();
    const std::size_t size = text.size();
    pane.setText(std::move(text));
    QVERIFY(pane.showsLargeText());
    QCOMPARE(pane.largeView()->text().data(), bytes); // the same buffer: no copy, no line list
    QCOMPARE(pane.largeView()->text().size(), size);
    QCOMPARE(pane.largeView()->lineCount(), std::size_t{200000});
    QVERIFY(pane.editor()->toPlainText().isEmpty());
}

void TextPaneTest::linesAreFoundAcrossTheIndex() {
    struct Case {
        const char* text;
        std::size_t lines;
        std::size_t index;
        const char* line;
    };
    const Case cases[] = {
        {"", 1, 0, ""},           {"a\r\nb", 2, 1, "b"},
        {"a\r\nb\r\n", 3, 2, ""}, // a line end at the end leaves an empty last line
        {"a\nb\r\nc", 3, 1, "b"}, {"a\r\n\r\nc", 3, 1, ""},
        {"a\r\nb", 2, 2, ""}, // past the end: nothing
    };
    for (const Case& c : cases) {
        LargeTextView view;
        view.setText(std::string(c.text));
        QCOMPARE(view.lineCount(), c.lines);
        QCOMPARE(view.line(c.index), std::string_view(c.line));
    }
    // Around the every-64th-line marks of a long text.
    LargeTextView view;
    view.setText(NumberedLines(1000));
    for (std::size_t i : {0, 1, 63, 64, 65, 127, 128, 640, 998, 999}) {
        QCOMPARE(view.line(i), std::string_view(NumberedLines(1, i)));
    }
}

void TextPaneTest::scrollingShowsTheLineScrolledTo() {
    const std::size_t lines = 100000;
    LargeTextView view;
    view.setText(NumberedLines(lines));
    ShowAtSize(view, {300, 200});
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    // What the view paints at line k is what a view holding only the lines from k paints at
    // its top.
    LargeTextView expected;
    ShowAtSize(expected, view.size());
    QVERIFY(QTest::qWaitForWindowExposed(&expected));
    QImage before;
    for (std::size_t k : {std::size_t{0}, std::size_t{777}, lines / 2}) {
        view.scrollToLine(k);
        QCOMPARE(view.firstVisibleLine(), k);
        expected.setText(NumberedLines(view.visibleLineCount() + 1, k));
        const QImage shown = ViewportImage(view);
        QCOMPARE(shown, ViewportImage(expected));
        QVERIFY(shown != before); // the picture moved with the scrolling
        before = shown;
    }

    // Scrolled past the end, the last line is in sight at the bottom.
    view.scrollToLine(lines + 10);
    QCOMPARE(view.firstVisibleLine() + view.visibleLineCount(), lines);
    QCOMPARE(view.verticalScrollBar()->value(), view.verticalScrollBar()->maximum());
    QTest::keyClick(&view, Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(view.firstVisibleLine(), std::size_t{0});
    QTest::keyClick(&view, Qt::Key_PageDown);
    QCOMPARE(view.firstVisibleLine(), view.visibleLineCount());
}

void TextPaneTest::theWindowShowsLargeListingsInTheView() {
    const QByteArray rows = arb::test::RepeatedRows(2000, "1.5\t-2");
    arb::test::WindowFixture fx({{QStringLiteral("big.tsv"), "volts\tamps\r\n" + rows}});
    arb::TMainForm& form = *fx.form;
    form.FileDataMemo->setLargeTextThreshold(1000);
    form.CountDataMemo->setLargeTextThreshold(1000);
    form.cbDisplayBuffer->setChecked(true);
    form.cbNumDACs->setCurrentIndex(1);

    fx.load(QStringLiteral("big.tsv"));
    QVERIFY(form.FileDataMemo->showsLargeText());
    QCOMPARE(form.FileDataMemo->largeView()->lineCount(), std::size_t{2002});
    QCOMPARE(form.FileDataMemo->largeView()->line(0), std::string_view("volts\tamps"));
    QCOMPARE(form.FileDataMemo->largeView()->line(2000), std::string_view("1.5\t-2"));

    form.PlayButton->click();
    QVERIFY(form.CountDataMemo->showsLargeText());
    QCOMPARE(form.CountDataMemo->largeView()->line(0), std::string_view("8000 8000 "));
    QCOMPARE(form.CountDataMemo->largeView()->line(2000), std::string_view("9333 6666 "));
}

QTEST_MAIN(TextPaneTest)
#include "text_pane_test.moc"
