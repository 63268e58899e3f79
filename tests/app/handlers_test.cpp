// The small handlers: rate presets and the slider, the buffer-depth commands, and the check box
// that nothing reads.

#include "tests/app/window_fixture.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QSlider>
#include <QtTest>

using arb::test::BoardOp;
using arb::test::WindowFixture;

class HandlersTest : public QObject {
    Q_OBJECT

  private slots:
    void presetsSetTheRateSliderAndLabel();
    void theSliderSetsTheRateAndLabel();
    void bufferDepthButtonsSendOneRequestEach();
    void padRawDataChangesNothing();
};

void HandlersTest::presetsSetTheRateSliderAndLabel() {
    WindowFixture fx;
    arb::TMainForm& form = *fx.form;
    struct Case {
        int item;
        double hz;
        const char* label;
    };
    for (const Case& c :
         {Case{4, 2000, "2000 Hz"}, Case{1, 1024, "1024 Hz"}, Case{2, 4096, "4096 Hz"},
          Case{0, 512, "512 Hz"}, Case{3, 1000, "1000 Hz"}}) {
        QTest::mouseClick(form.HzGroup->button(c.item), Qt::LeftButton);
        QCOMPARE(form.SampleHz(), c.hz);
        QCOMPARE(form.tbHz->value(), qRound(c.hz));
        QCOMPARE(form.lblHz->text(), QString::fromLatin1(c.label));
    }

    // Clicking the selected preset again changes nothing, also after the slider has moved.
    form.tbHz->setValue(3000);
    QTest::mouseClick(form.HzGroup->button(3), Qt::LeftButton);
    QCOMPARE(form.SampleHz(), 3000.0);
    QCOMPARE(form.tbHz->value(), 3000);
    QCOMPARE(form.lblHz->text(), QStringLiteral("3000 Hz"));
    QVERIFY(fx.board.calls().empty());
}

void HandlersTest::theSliderSetsTheRateAndLabel() {
    WindowFixture fx;
    arb::TMainForm& form = *fx.form;
    form.tbHz->setFocus();
    QTest::keyClick(form.tbHz, Qt::Key_End);
    QCOMPARE(form.lblHz->text(), QStringLiteral("8192 Hz"));
    QCOMPARE(form.SampleHz(), 8192.0);
    QTest::keyClick(form.tbHz, Qt::Key_Home);
    QCOMPARE(form.lblHz->text(), QStringLiteral("256 Hz"));
    QTest::keyClick(form.tbHz, Qt::Key_PageUp);
    QCOMPARE(form.tbHz->value(), 256 + 512);
    QCOMPARE(form.SampleHz(), 768.0);
    QCOMPARE(form.HzGroup->checkedId(), 3); // the presets do not follow the slider
}

void HandlersTest::bufferDepthButtonsSendOneRequestEach() {
    WindowFixture fx;
    arb::TMainForm& form = *fx.form;
    struct Case {
        QPushButton* button;
        std::uint16_t value;
    };
    const Case cases[] = {
        {form.BufDepthButton, 19}, {form.BufDepth256Button, 255}, {form.BufDepth1Button, 1}};
    fx.board.setResult(BoardOp::VendorWrite, 9); // a failure leaves no trace
    for (const Case& c : cases) {
        const std::size_t before = fx.board.calls().size();
        c.button->click();
        QCOMPARE(fx.board.calls().size(), before + 1);
        const arb::test::BoardCall& call = fx.board.calls().back();
        QCOMPARE(call.op, BoardOp::VendorWrite);
        QCOMPARE(call.request, 0xC7);
        QCOMPARE(call.value, c.value);
        QCOMPARE(call.index, 1);
        QCOMPARE(call.dataLength, 0u);
        QVERIFY(call.dataIsNull);
        QVERIFY(c.button->isHidden());
    }
    QVERIFY(fx.boxes.boxes.empty());
    QCOMPARE(form.windowTitle(), QStringLiteral("ARB Demo"));
}

void HandlersTest::padRawDataChangesNothing() {
    WindowFixture fx({{"wave.tsv", arb::test::RepeatedRows(20, "1")}});
    fx.load("wave.tsv");
    QTest::mouseClick(fx.form->cbPadRaw, Qt::LeftButton);
    QVERIFY(!fx.form->cbPadRaw->isChecked());
    fx.form->PlayButton->click();
    QCOMPARE(fx.board.callsOf(BoardOp::OutputProcess).size(), std::size_t{1});
    QCOMPARE(fx.board.callsOf(BoardOp::OutputProcess)[0]->sampleCount, 20u);
}

QTEST_MAIN(HandlersTest)
#include "handlers_test.moc"
