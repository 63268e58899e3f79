// The board library misbehaving, as the window sees it: every operation failing, a rate written
// back that is no rate at all, and block calls that take long. The window must keep to its boxes
// and caption, never show the library's rate, and stay usable and closable between blocks.

#include "tests/app/window_fixture.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QSlider>
#include <QtTest>

#include <cfenv>
#include <chrono>
#include <cmath>
#include <limits>
#include <thread>

using arb::test::BoardCall;
using arb::test::BoardOp;
using arb::test::CallEvent;
using arb::test::RepeatedRows;
using arb::test::WindowFixture;

namespace {

constexpr BoardOp kAllOps[] = {BoardOp::ReloadDeviceLinks, BoardOp::SetBoardRange,
                               BoardOp::VendorWrite, BoardOp::OutputSetCount,
                               BoardOp::OutputProcess};

const QString kEllipsis = QString::fromUtf8("\u2026");

// Calls `hook` with the number of each DACOutputProcess call (from 1) and the rate's address.
void OnBlock(WindowFixture& fx, std::function<void(std::size_t, double*)> hook) {
    fx.board.setHook([hook = std::move(hook)](const CallEvent& call) {
        if (call.op == BoardOp::OutputProcess) {
            hook(call.opNumber, call.rate);
        }
    });
}

// Events a user's input leaves in the queue while the window is busy in a board call.
void PostKey(QWidget* target, Qt::Key key) {
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier));
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier));
}

} // namespace

class MisbehavingWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void failingOperations_data();
    void failingOperations();
    void aRateWrittenBackIsNeverShown_data();
    void aRateWrittenBackIsNeverShown();
    void slowBlocksLeaveTheWindowUsable_data();
    void slowBlocksLeaveTheWindowUsable();
};

void MisbehavingWindowTest::failingOperations_data() {
    QTest::addColumn<bool>("startByRepeat"); // tick Repeat, else click Play
    QTest::addColumn<bool>("rangeFails");    // DACSetBoardRange fails too
    QTest::addColumn<quint32>("result");     // what every failing call answers
    QTest::newRow("everything fails, Play") << false << true << quint32(0xFFFFFFFF);
    QTest::newRow("everything fails, Repeat") << true << true << quint32(0xFFFFFFFF);
    QTest::newRow("all but the range fail, Play") << false << false << quint32(1);
    QTest::newRow("all but the range fail, Repeat") << true << false << quint32(0xFFFFFFFF);
}

void MisbehavingWindowTest::failingOperations() {
    QFETCH(bool, startByRepeat);
    QFETCH(bool, rangeFails);
    QFETCH(quint32, result);
    WindowFixture fx({{"wave.tsv", RepeatedRows(60, "1\t-1")}});
    fx.load("wave.tsv");
    for (BoardOp op : kAllOps) {
        fx.board.setResult(op, result);
    }
    if (!rangeFails) {
        fx.board.setResult(BoardOp::SetBoardRange, 0);
    }
    OnBlock(fx, [&](std::size_t n, double*) {
        if (n == 3) { // the failures did not stop the repetition: end the test's run
            fx.form->cbForever->setChecked(false);
        }
    });
    fx.form->PlayReportLabel->setText("earlier status");

    if (startByRepeat) {
        QTest::mouseClick(fx.form->cbForever, Qt::LeftButton);
    } else {
        QTest::mouseClick(fx.form->PlayButton, Qt::LeftButton);
    }

    const QString number = QString::number(result);
    QCOMPARE(fx.form->PlaybackDepth(), 0);
    QCOMPARE(fx.boxes.boxes.size(), std::size_t{1});
    QCOMPARE(fx.boxes.boxes[0].kind, QStringLiteral("warning"));
    if (rangeFails) {
        // Nothing but the first two calls; the screen keeps what it showed.
        QCOMPARE(fx.board.calls().size(), std::size_t{2});
        QCOMPARE(fx.boxes.boxes[0].text, "Error " + number + " setting board range.");
        QCOMPARE(fx.boxes.boxes[0].caption, "DACSetBoardRange Error " + number);
        QCOMPARE(fx.form->PlayReportLabel->text(), QStringLiteral("earlier status"));
        QCOMPARE(fx.form->windowTitle(), QStringLiteral("ARB Demo"));
        QCOMPARE(fx.form->cbForever->isChecked(), startByRepeat);
    } else {
        // The unexamined failures go by; the first failed block ends the stream.
        QCOMPARE(fx.board.count(BoardOp::VendorWrite), std::size_t{1});
        QCOMPARE(fx.board.count(BoardOp::OutputSetCount), std::size_t{1});
        QCOMPARE(fx.board.count(BoardOp::OutputProcess), std::size_t{1});
        QCOMPARE(fx.form->windowTitle(), number + " error on DACOutputProcess");
        QCOMPARE(fx.boxes.boxes[0].text, "Error " + number + " launching DAC output process.");
        QCOMPARE(fx.boxes.boxes[0].caption, "DACOutputProcess Error " + number);
        QCOMPARE(fx.form->PlayReportLabel->text(), QString());
        QVERIFY(!fx.form->cbForever->isChecked());
    }
    // The window goes on: Play and Repeat still usable.
    QVERIFY(fx.form->PlayButton->isEnabled());
    QVERIFY(fx.form->cbForever->isEnabled());
}

void MisbehavingWindowTest::aRateWrittenBackIsNeverShown_data() {
    QTest::addColumn<double>("written");
    QTest::newRow("zero") << 0.0;
    QTest::newRow("negative zero") << -0.0;
    QTest::newRow("negative") << -1000.0;
    QTest::newRow("infinite") << std::numeric_limits<double>::infinity();
    QTest::newRow("minus infinite") << -std::numeric_limits<double>::infinity();
    QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN();
    QTest::newRow("denormal") << std::numeric_limits<double>::denorm_min();
    QTest::newRow("huge") << std::numeric_limits<double>::max();
}

// The library writes a nonsense rate back after every block. The window passes the field on as
// it is, but its labels and slider only ever show the user's rates, the status figure stays the
// one of the run's start, and the next run starts from the slider again.
void MisbehavingWindowTest::aRateWrittenBackIsNeverShown() {
    QFETCH(double, written);
    WindowFixture fx({{"wave.tsv", RepeatedRows(40, "1")}});
    fx.load("wave.tsv");
    QStringList reportsSeen, rateLabelsSeen;
    QList<int> sliderSeen;
    OnBlock(fx, [&](std::size_t n, double* rate) {
        reportsSeen << fx.form->PlayReportLabel->text();
        rateLabelsSeen << fx.form->lblHz->text();
        sliderSeen << fx.form->tbHz->value();
        *rate = written;
        if (n == 2) { // the user pages the slider up: the next block goes at the slider's rate
            PostKey(fx.form->tbHz, Qt::Key_PageUp);
        }
        if (n == 4) {
            PostKey(fx.form->cbForever, Qt::Key_Space);
        }
    });

    std::feclearexcept(FE_DIVBYZERO);
    QTest::mouseClick(fx.form->cbForever, Qt::LeftButton);
    QVERIFY(!std::fetestexcept(FE_DIVBYZERO));

    const auto calls = fx.board.callsOf(BoardOp::OutputProcess);
    QCOMPARE(calls.size(), std::size_t{4});
    QCOMPARE(calls[0]->rateSeen, 1000.0);
    QCOMPARE(calls[2]->rateSeen, 1512.0); // the slider's change replaced the library's value
    QVERIFY(std::isnan(written) ? std::isnan(calls[1]->rateSeen) : calls[1]->rateSeen == written);
    const QString playing = "Playing 0.04-sec file" + kEllipsis;
    QCOMPARE(reportsSeen, QStringList({playing, playing, playing, playing}));
    QCOMPARE(rateLabelsSeen, QStringList({"1000 Hz", "1000 Hz", "1512 Hz", "1512 Hz"}));
    QCOMPARE(sliderSeen, QList<int>({1000, 1000, 1512, 1512}));
    QCOMPARE(fx.form->PlayReportLabel->text(), QString());
    QCOMPARE(fx.form->lblHz->text(), QStringLiteral("1512 Hz"));
    QCOMPARE(fx.form->tbHz->value(), 1512);
    QVERIFY(fx.boxes.boxes.empty());

    // A preset picked now shows the preset, and the next Play starts from the slider.
    fx.form->HzGroup->button(4)->click();
    QCOMPARE(fx.form->lblHz->text(), QStringLiteral("2000 Hz"));
    fx.board.setHook(nullptr);
    std::feclearexcept(FE_DIVBYZERO);
    fx.form->PlayButton->click();
    QVERIFY(!std::fetestexcept(FE_DIVBYZERO));
    QCOMPARE(fx.board.callsOf(BoardOp::OutputProcess).back()->rateSeen, 2000.0);
    QCOMPARE(fx.form->SampleHz(), 2000.0);
}

void MisbehavingWindowTest::slowBlocksLeaveTheWindowUsable_data() {
    QTest::addColumn<bool>("byClosing"); // end the run by closing the window, else untick Repeat
    QTest::newRow("untick") << false;
    QTest::newRow("close") << true;
}

// Each block call takes 200 ms. What the user does meanwhile waits in the queue and is served
// after the call: a slider change reaches the next block, and an untick or a close ends the run.
void MisbehavingWindowTest::slowBlocksLeaveTheWindowUsable() {
    QFETCH(bool, byClosing);
    WindowFixture fx({{"wave.tsv", RepeatedRows(60, "1")}});
    fx.load("wave.tsv");
    bool visibleAfterClose = false;
    OnBlock(fx, [&](std::size_t n, double*) {
        if (n == 1) {
            PostKey(fx.form->tbHz, Qt::Key_PageUp);
        }
        if (n == 2) {
            if (byClosing) {
                QMetaObject::invokeMethod(
                    fx.form.get(),
                    [&] {
                        fx.form->close();
                        visibleAfterClose = fx.form->isVisible();
                    },
                    Qt::QueuedConnection);
            } else {
                PostKey(fx.form->cbForever, Qt::Key_Space);
            }
        }
        if (n == 4) { // neither ended the run: stop the test
            fx.form->cbForever->setChecked(false);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    });

    QTest::mouseClick(fx.form->cbForever, Qt::LeftButton);

    const auto calls = fx.board.callsOf(BoardOp::OutputProcess);
    QCOMPARE(calls.size(), std::size_t{2});
    QCOMPARE(calls[1]->rateSeen, 1512.0);
    QCOMPARE(fx.form->lblHz->text(), QStringLiteral("1512 Hz"));
    QVERIFY(!fx.form->cbForever->isChecked());
    QCOMPARE(fx.form->PlaybackDepth(), 0);
    QCOMPARE(fx.form->PlayReportLabel->text(), QString());
    QVERIFY(fx.boxes.boxes.empty());
    if (byClosing) {
        QVERIFY(visibleAfterClose);     // the close waited for the run...
        QVERIFY(!fx.form->isVisible()); // ...and took effect once it had returned
    } else {
        QVERIFY(fx.form->isVisible());
        QVERIFY(fx.form->cbForever->isEnabled());
    }
}

QTEST_MAIN(MisbehavingWindowTest)
#include "misbehaving_window_test.moc"
