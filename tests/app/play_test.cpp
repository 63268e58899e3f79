// Playing from the window against a recording board: the calls a run makes, the status line,
// repetition with the Repeat box, rates changed between blocks, nested runs, closing during a run,
// and the error boxes.

#include "tests/app/window_fixture.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSlider>
#include <QtTest>

using arb::test::BoardCall;
using arb::test::BoardOp;
using arb::test::CallEvent;
using arb::test::RepeatedRows;
using arb::test::WindowFixture;

namespace {

// Runs `action` once the window serves its pending events, as a user's input would.
template <class Action> void Later(QObject* context, Action action) {
    QMetaObject::invokeMethod(context, std::move(action), Qt::QueuedConnection);
}

// Calls `hook` with the number of each DACOutputProcess call (from 1).
void OnBlock(WindowFixture& fx, std::function<void(std::size_t)> hook) {
    fx.board.setHook([hook = std::move(hook)](const CallEvent& call) {
        if (call.op == BoardOp::OutputProcess) {
            hook(call.opNumber);
        }
    });
}

// The block index of every DACOutputProcess call, counted from the first call's address.
std::vector<std::size_t> BlocksSent(const WindowFixture& fx, std::size_t channels) {
    const auto calls = fx.board.callsOf(BoardOp::OutputProcess);
    std::vector<std::size_t> blocks;
    for (const BoardCall* call : calls) {
        const std::uintptr_t offset = call->samplesAddress - calls.front()->samplesAddress;
        blocks.push_back(offset / (20 * channels * sizeof(std::uint16_t)));
    }
    return blocks;
}

std::vector<BoardOp> Ops(const WindowFixture& fx) {
    std::vector<BoardOp> ops;
    for (const BoardCall& call : fx.board.calls()) {
        ops.push_back(call.op);
    }
    return ops;
}

const QString kEllipsis = QString::fromUtf8("\u2026");

} // namespace

class PlayTest : public QObject {
    Q_OBJECT

  private slots:
    void playSendsOneBlockAndReports_data();
    void playSendsOneBlockAndReports();
    void rawDataListsTheCodes();
    void repeatStreamsWholeBlocksUntilUnticked();
    void theTickShowsWhileTheRunPlays();
    void aRateChosenBetweenBlocksReachesTheNextBlock();
    void nestedRunsEndTogether();
    void closingDuringARunEndsItAndThenTheWindow();
    void aFailedLoadDuringARunLeavesRepeatUsable();
    void boardRangeErrorStopsTheRun();
    void outputErrorStopsRepetition();
    void conversionErrorIsShownAndTheWindowGoesOn();
};

void PlayTest::playSendsOneBlockAndReports_data() {
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("countRequest"); // the value of the channel-count request
    QTest::newRow("one channel") << 1 << 257;
    QTest::newRow("two channels") << 2 << 513;
    QTest::newRow("sixteen channels") << 16 << 4097;
}

void PlayTest::playSendsOneBlockAndReports() {
    QFETCH(int, channels);
    QFETCH(int, countRequest);
    WindowFixture fx({{"wave.tsv", RepeatedRows(100, "-10\t10")}});
    fx.load("wave.tsv");
    fx.form->cbNumDACs->setCurrentIndex(channels - 1);
    QString reportWhileSending;
    OnBlock(fx, [&](std::size_t) { reportWhileSending = fx.form->PlayReportLabel->text(); });

    QTest::mouseClick(fx.form->PlayButton, Qt::LeftButton);

    QCOMPARE(Ops(fx), (std::vector<BoardOp>{BoardOp::ReloadDeviceLinks, BoardOp::SetBoardRange,
                                            BoardOp::VendorWrite, BoardOp::OutputSetCount,
                                            BoardOp::OutputProcess}));
    const std::vector<BoardCall>& calls = fx.board.calls();
    QCOMPARE(calls[1].rangeCode, 3u);
    QCOMPARE(calls[2].request, 0xC7);
    QCOMPARE(int{calls[2].value}, countRequest);
    QCOMPARE(calls[2].index, 0);
    QVERIFY(calls[2].dataIsNull);
    QCOMPARE(calls[3].channelCount, std::uint32_t(channels));
    const BoardCall& block = calls[4];
    QCOMPARE(block.sampleCount, std::uint32_t(20 * channels));
    QCOMPARE(block.rateSeen, 1000.0);
    // -10 V and +10 V on "±10V" are the two ends of the code range; later channels hold 0 V.
    QCOMPARE(block.samples[0], 0);
    if (channels > 1) {
        QCOMPARE(block.samples[1], 65535);
    }

    QCOMPARE(reportWhileSending, "Playing 0.1-sec file" + kEllipsis);
    QCOMPARE(fx.form->PlayReportLabel->text(), QString());
    QCOMPARE(fx.form->CountDataMemo->toPlainText(), QString()); // cleared, no listing asked for
    QVERIFY(fx.boxes.boxes.empty());
    QCOMPARE(fx.form->windowTitle(), QStringLiteral("ARB Demo"));
    QCOMPARE(fx.form->SampleHz(), 1000.0);
}

void PlayTest::rawDataListsTheCodes() {
    WindowFixture fx({{"wave.tsv", RepeatedRows(30, "-10\t10")}});
    fx.load("wave.tsv");
    fx.form->cbNumDACs->setCurrentIndex(1);
    fx.form->cbDisplayBuffer->setChecked(true);
    fx.form->PlayButton->click();
    const QStringList lines = fx.form->CountDataMemo->toPlainText().split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 30);
    QCOMPARE(lines.front().trimmed(), QStringLiteral("0000 FFFF"));
}

void PlayTest::repeatStreamsWholeBlocksUntilUnticked() {
    WindowFixture fx({{"wave.tsv", RepeatedRows(50, "1")}});
    fx.load("wave.tsv");
    OnBlock(fx, [&](std::size_t n) {
        if (n == 5) {
            Later(fx.form.get(), [&] { QTest::mouseClick(fx.form->cbForever, Qt::LeftButton); });
        }
    });

    // Ticking the box plays at once and returns when the box has been unticked.
    QTest::mouseClick(fx.form->cbForever, Qt::LeftButton);

    QCOMPARE(BlocksSent(fx, 1), (std::vector<std::size_t>{0, 1, 0, 1, 0}));
    QVERIFY(!fx.form->cbForever->isChecked());
    QVERIFY(fx.form->cbForever->isEnabled());
    QCOMPARE(fx.form->PlayReportLabel->text(), QString());
    QCOMPARE(fx.form->PlaybackDepth(), 0);

    // Ticking by program plays too; unticking while nothing plays starts nothing.
    const std::size_t blocksBefore = fx.board.count(BoardOp::OutputProcess);
    fx.board.setHook([&](const CallEvent& call) {
        if (call.op == BoardOp::OutputProcess) {
            fx.form->cbForever->setChecked(false);
        }
    });
    fx.form->cbForever->setChecked(true);
    QCOMPARE(fx.board.count(BoardOp::OutputProcess), blocksBefore + 1);

    // A run that ends early leaves the box ticked with nothing playing; unticking it then
    // starts nothing.
    fx.board.setResult(BoardOp::SetBoardRange, 5);
    fx.form->cbForever->setChecked(true);
    QVERIFY(fx.form->cbForever->isChecked());
    const std::size_t callsBefore = fx.board.calls().size();
    QTest::mouseClick(fx.form->cbForever, Qt::LeftButton);
    QVERIFY(!fx.form->cbForever->isChecked());
    QCOMPARE(fx.board.calls().size(), callsBefore);
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
  public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

void PlayTest::theTickShowsWhileTheRunPlays() {
    WindowFixture fx({{"wave.tsv", RepeatedRows(40, "1")}});
    fx.load("wave.tsv");
    // The user presses the box, and it is painted pressed.
    const QPoint centre = fx.form->cbForever->rect().center();
    QTest::mousePress(fx.form->cbForever, Qt::LeftButton, {}, centre);
    QCoreApplication::processEvents();
    PaintCounter counter;
    fx.form->cbForever->installEventFilter(&counter);
    int paintsWhilePlaying = -1;
    OnBlock(fx, [&](std::size_t n) {
        if (n == 3) {
            paintsWhilePlaying = counter.paints; // two rounds of events served by now
            fx.form->cbForever->setChecked(false);
        }
    });

    // The release ticks the box and starts the run inside the box's own click: the box must be
    // repainted ticked while the run plays, not only when the click returns.
    QTest::mouseRelease(fx.form->cbForever, Qt::LeftButton, {}, centre);

    QVERIFY2(paintsWhilePlaying > 0, "the ticked box was not repainted during the run");
}

void PlayTest::aRateChosenBetweenBlocksReachesTheNextBlock() {
    WindowFixture fx({{"wave.tsv", RepeatedRows(40, "1")}});
    fx.load("wave.tsv");
    fx.board.setHook([&](const CallEvent& call) {
        if (call.op != BoardOp::OutputProcess) {
            return;
        }
        const std::size_t n = call.opNumber;
        if (n == 1) {
            *call.rate = 1500; // the board may write the rate back into the window's field
        }
        if (n == 2) {
            Later(fx.form.get(), [&] { fx.form->HzGroup->button(4)->click(); });
        }
        if (n == 4) {
            Later(fx.form.get(), [&] { fx.form->cbForever->click(); });
        }
    });
    fx.form->cbForever->click();

    const auto calls = fx.board.callsOf(BoardOp::OutputProcess);
    QCOMPARE(calls.size(), std::size_t{4});
    QCOMPARE(calls[0]->rateSeen, 1000.0);
    QCOMPARE(calls[1]->rateSeen, 1500.0);
    QCOMPARE(calls[2]->rateSeen, 2000.0);
    QCOMPARE(fx.form->tbHz->value(), 2000);
    QCOMPARE(fx.form->lblHz->text(), QStringLiteral("2000 Hz"));
}

void PlayTest::nestedRunsEndTogether() {
    WindowFixture fx({{"wave.tsv", RepeatedRows(60, "1")}});
    fx.load("wave.tsv");
    int deepest = 0;
    OnBlock(fx, [&](std::size_t n) {
        deepest = std::max(deepest, fx.form->PlaybackDepth());
        if (n == 2) {
            Later(fx.form.get(), [&] { fx.form->PlayButton->click(); }); // a second run inside
        }
        if (n == 5) {
            Later(fx.form.get(), [&] { fx.form->cbForever->click(); });
        }
    });
    fx.form->cbForever->click();

    QCOMPARE(deepest, 2);
    QCOMPARE(fx.board.count(BoardOp::ReloadDeviceLinks), std::size_t{2});
    // Outer run: blocks 0, 1; inner run from block 0: 0, 1, 2; then neither sends again.
    QCOMPARE(fx.board.count(BoardOp::OutputProcess), std::size_t{5});
    QCOMPARE(fx.board.calls().back().op, BoardOp::OutputProcess);
    QCOMPARE(fx.form->PlaybackDepth(), 0);
    QCOMPARE(fx.form->PlayReportLabel->text(), QString());
}

void PlayTest::closingDuringARunEndsItAndThenTheWindow() {
    WindowFixture fx({{"wave.tsv", RepeatedRows(40, "1")}});
    fx.load("wave.tsv");
    bool openAfterClose = false;
    OnBlock(fx, [&](std::size_t n) {
        if (n == 2) {
            Later(fx.form.get(), [&] {
                fx.form->close();
                openAfterClose = fx.form->isVisible();
            });
        }
        if (n == 6) { // a close that did not end the repetition: stop the test
            fx.form->cbForever->setChecked(false);
        }
    });
    fx.form->cbForever->click();

    QVERIFY(openAfterClose); // the close waited for the run
    QCOMPARE(fx.board.count(BoardOp::OutputProcess), std::size_t{2});
    QVERIFY(!fx.form->cbForever->isChecked());
    QCOMPARE(fx.form->PlayReportLabel->text(), QString()); // the run finished its own steps
    QVERIFY(!fx.form->isVisible());
}

void PlayTest::aFailedLoadDuringARunLeavesRepeatUsable() {
    WindowFixture fx({{"wave.tsv", RepeatedRows(40, "1")}});
    fx.load("wave.tsv");
    bool playEnabled = true, repeatEnabled = false, repeatTicked = false;
    OnBlock(fx, [&](std::size_t n) {
        if (n == 2) {
            Later(fx.form.get(), [&] {
                fx.form->MainFileEdit->setText("missing.tsv");
                fx.form->LoadButton->click();
            });
        }
        if (n == 3) {
            playEnabled = fx.form->PlayButton->isEnabled();
            repeatEnabled = fx.form->cbForever->isEnabled();
            repeatTicked = fx.form->cbForever->isChecked();
            if (repeatEnabled) { // the user unticks it
                Later(fx.form.get(),
                      [&] { QTest::mouseClick(fx.form->cbForever, Qt::LeftButton); });
            } else {
                fx.form->cbForever->setChecked(false); // stuck: end the test's run
            }
        }
    });
    fx.form->cbForever->click();

    QVERIFY(!playEnabled);
    QVERIFY(repeatTicked);
    QVERIFY(repeatEnabled);
    QCOMPARE(fx.board.count(BoardOp::OutputProcess), std::size_t{3});
    QVERIFY(!fx.form->cbForever->isChecked());
    QVERIFY(!fx.form->cbForever->isEnabled()); // no table: nothing to repeat
    QVERIFY(!fx.form->PlayButton->isEnabled());
}

void PlayTest::boardRangeErrorStopsTheRun() {
    WindowFixture fx({{"wave.tsv", RepeatedRows(40, "1")}});
    fx.load("wave.tsv");
    fx.form->PlayReportLabel->setText("earlier status");
    fx.board.setResult(BoardOp::SetBoardRange, 5);
    fx.form->PlayButton->click();

    QCOMPARE(Ops(fx), (std::vector<BoardOp>{BoardOp::ReloadDeviceLinks, BoardOp::SetBoardRange}));
    QCOMPARE(fx.boxes.boxes.size(), std::size_t{1});
    QCOMPARE(fx.boxes.boxes[0].kind, QStringLiteral("warning"));
    QCOMPARE(fx.boxes.boxes[0].text, QStringLiteral("Error 5 setting board range."));
    QCOMPARE(fx.boxes.boxes[0].caption, QStringLiteral("DACSetBoardRange Error 5"));
    QCOMPARE(fx.form->CountDataMemo->toPlainText(), QStringLiteral("Memo1"));
    QCOMPARE(fx.form->PlayReportLabel->text(), QStringLiteral("earlier status"));
}

void PlayTest::outputErrorStopsRepetition() {
    WindowFixture fx({{"wave.tsv", RepeatedRows(60, "1")}});
    fx.load("wave.tsv");
    fx.board.setResultOnCall(BoardOp::OutputProcess, 3, 7);
    OnBlock(fx, [&](std::size_t n) {
        if (n == 6) {
            fx.form->cbForever->setChecked(false); // the error did not stop it: end the test
        }
    });
    fx.form->cbForever->click();

    QCOMPARE(fx.board.count(BoardOp::OutputProcess), std::size_t{3});
    QCOMPARE(fx.form->windowTitle(), QStringLiteral("7 error on DACOutputProcess"));
    QVERIFY(!fx.form->cbForever->isChecked());
    QCOMPARE(fx.boxes.boxes.size(), std::size_t{1});
    QCOMPARE(fx.boxes.boxes[0].text, QStringLiteral("Error 7 launching DAC output process."));
    QCOMPARE(fx.boxes.boxes[0].caption, QStringLiteral("DACOutputProcess Error 7"));

    // A later run that succeeds shows no box, and the caption keeps the earlier error.
    fx.form->PlayButton->click();
    QCOMPARE(fx.board.count(BoardOp::OutputProcess), std::size_t{4});
    QCOMPARE(fx.boxes.boxes.size(), std::size_t{1});
    QCOMPARE(fx.form->windowTitle(), QStringLiteral("7 error on DACOutputProcess"));
}

void PlayTest::conversionErrorIsShownAndTheWindowGoesOn() {
    WindowFixture fx(
        {{"bad.tsv", "1\r\nabc\r\n" + RepeatedRows(30, "2")}, {"good.tsv", RepeatedRows(30, "2")}});
    fx.load("bad.tsv");
    fx.form->PlayButton->click();

    QCOMPARE(fx.board.count(BoardOp::OutputProcess), std::size_t{0});
    QCOMPARE(fx.boxes.boxes.size(), std::size_t{1});
    QCOMPARE(fx.boxes.boxes[0].kind, QStringLiteral("error"));
    QCOMPARE(fx.boxes.boxes[0].text, QStringLiteral("'abc' is not a valid floating point value"));
    QCOMPARE(fx.form->PlayReportLabel->text(), "Parsing file" + kEllipsis);
    QCOMPARE(fx.form->PlaybackDepth(), 0);

    fx.load("good.tsv");
    fx.form->PlayButton->click();
    QCOMPARE(fx.board.count(BoardOp::OutputProcess), std::size_t{1});
    QCOMPARE(fx.boxes.boxes.size(), std::size_t{1});
}

QTEST_MAIN(PlayTest)
#include "play_test.moc"
