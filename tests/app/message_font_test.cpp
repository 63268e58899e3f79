// Adopting the system's message font: the arithmetic, the fallback, and what the window does.

#include "app/message_font.h"
#include "app/text_pane.h"
#include "tests/app/window_fixture.h"

#include <QPlainTextEdit>
#include <QtTest>

using arb::AdoptMessageFont;
using arb::ControlPixelHeight;
using arb::FontChoice;
using arb::MessageFontInfo;

namespace {

const FontChoice kDesignFont{"MS Sans Serif", 8};

} // namespace

class MessageFontTest : public QObject {
    Q_OBJECT

  private slots:
    void heightsFollowTheMessageFont();
    void faceNamesAndFallback();
    void mulDivRoundsLikeTheSystemCall();
    void theWindowAdoptsTheFontButThePanesKeepTheirs();
};

void MessageFontTest::heightsFollowTheMessageFont() {
    struct Case {
        int lfHeight;
        int pixelsPerInch;
        int points;        // v, also the window font's height at 72 pixels per inch
        int controlPixels; // the controls' character height
    };
    const Case cases[] = {
        {-11, 96, 8, 11},  {-12, 96, 9, 12},  {-13, 96, 10, 13},  {-14, 96, 10, 13},
        {-10, 96, 8, 11},  {-18, 96, 14, 19}, {-15, 120, 11, 18}, {0, 96, 0, 0},
        {12, 96, -9, -12}, // a cell height: the sign carries through
    };
    for (const Case& c : cases) {
        const FontChoice chosen =
            AdoptMessageFont(MessageFontInfo{"Segoe UI", c.lfHeight}, kDesignFont);
        const QByteArray what = "lfHeight " + QByteArray::number(c.lfHeight);
        QVERIFY2(chosen.points == c.points, what);
        QVERIFY2(chosen.face == "Segoe UI", what);
        QVERIFY2(ControlPixelHeight(chosen.points, c.pixelsPerInch) == c.controlPixels, what);
    }
}

void MessageFontTest::faceNamesAndFallback() {
    // No answer from the system: Tahoma at the current size, 11 pixels on a 96 dpi screen.
    const FontChoice fallback = AdoptMessageFont(std::nullopt, kDesignFont);
    QCOMPARE(fallback, (FontChoice{"Tahoma", 8}));
    QCOMPARE(ControlPixelHeight(fallback.points, 96), 11);
    QCOMPARE(AdoptMessageFont(std::nullopt, FontChoice{"X", -9}).points, 9);

    // An empty face keeps the design face and still takes the size.
    QCOMPARE(AdoptMessageFont(MessageFontInfo{"", -12}, kDesignFont),
             (FontChoice{"MS Sans Serif", 9}));
    // A face is cut to 31 bytes, and at a NUL.
    const std::string longFace(40, 'F');
    QCOMPARE(AdoptMessageFont(MessageFontInfo{longFace, -12}, kDesignFont).face,
             std::string(31, 'F'));
    QCOMPARE(AdoptMessageFont(MessageFontInfo{std::string("Ab\0cd", 5), -12}, kDesignFont).face,
             std::string("Ab"));
}

void MessageFontTest::mulDivRoundsLikeTheSystemCall() {
    QCOMPARE(arb::MulDiv(10, 96, 72), 13); // 13.33
    QCOMPARE(arb::MulDiv(3, 1, 2), 2);     // a half goes away from zero
    QCOMPARE(arb::MulDiv(-3, 1, 2), -2);
    QCOMPARE(arb::MulDiv(5, 7, 0), -1);       // no divisor
    QCOMPARE(arb::MulDiv(1 << 30, 8, 1), -1); // does not fit
}

void MessageFontTest::theWindowAdoptsTheFontButThePanesKeepTheirs() {
    arb::test::WindowFixture fx;
    arb::TMainForm& form = *fx.form;
    QFont expected(QStringLiteral("MS Sans Serif"), 8);
    arb::UseSystemMessageFont(expected);
    QCOMPARE(form.font().family(), expected.family());
    QCOMPARE(form.font().pointSize(), expected.pointSize());
    QCOMPARE(form.LoadButton->font().family(), expected.family());
    for (const arb::TextPane* pane : {form.CountDataMemo, form.FileDataMemo}) {
        QCOMPARE(pane->font().family(), QStringLiteral("Lucida Console"));
        QCOMPARE(pane->font().pointSize(), 8);
    }

    // Given an answer, the window font takes its face and size.
    QFont font(QStringLiteral("MS Sans Serif"), 8);
    arb::UseMessageFont(font, MessageFontInfo{"Segoe UI", -14});
    QCOMPARE(font.family(), QStringLiteral("Segoe UI"));
    QCOMPARE(font.pointSize(), 10);
    arb::UseMessageFont(font, std::nullopt);
    QCOMPARE(font.family(), QStringLiteral("Tahoma"));
    QCOMPARE(font.pointSize(), 10);
}

QTEST_MAIN(MessageFontTest)
#include "message_font_test.moc"
