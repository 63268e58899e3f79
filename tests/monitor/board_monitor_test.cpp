// The board monitor window, on a simulated board with a manual clock: what it shows and records
// for a short known table, how it reports a failed recording, and when it opens and goes.

#include "app/board_monitor.h"
#include "app/board_monitor_figures.h"
#include "app/board_monitor_plot.h"
#include "board/active_board.h"
#include "board/output_volts.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <memory>
#include <vector>

using namespace std::chrono_literals;

namespace arb {
namespace {

// Answers the file question at once with a set path, or not at all when the path is empty.
class AnsweringPicker final : public RecordFilePicker {
  public:
    void pickRecordFile(QWidget&, std::function<void(const QString&)> chosen) override {
        ++asked;
        if (!answer.isEmpty())
            chosen(answer);
    }
    QString answer;
    int asked = 0;
};

class CapturedMessages final : public MonitorMessages {
  public:
    void showMonitorMessage(QWidget&, const QString& text, const QString& caption) override {
        texts << text;
        captions << caption;
    }
    QStringList texts, captions;
};

// A simulated board on a manual clock, watched by a shown monitor.
struct MonitorFixture {
    MonitorFixture() {
        auto ownedPicker = std::make_unique<AnsweringPicker>();
        auto ownedMessages = std::make_unique<CapturedMessages>();
        picker = ownedPicker.get();
        messages = ownedMessages.get();
        monitor = std::make_unique<BoardMonitor>(board, clock, std::move(ownedPicker),
                                                 std::move(ownedMessages));
        monitor->show();
    }
    // A run as playback starts it.
    void startRun(std::uint32_t channels, std::uint32_t range) {
        dac.reloadDeviceLinks();
        QCOMPARE(dac.setBoardRange(0, range), 0u);
        QCOMPARE(dac.outputSetCount(0, channels), 0u);
    }
    // Sends block `index` of `table` (blocks of 20 scans) at `rate`.
    std::uint32_t send(const std::vector<std::uint16_t>& table, std::size_t index,
                       std::uint32_t channels) {
        return dac.outputProcess(0, &rate, 20 * channels, table.data() + index * 20 * channels);
    }
    QString value(const char* name) const {
        return monitor->findChild<QLabel*>(QString::fromLatin1(name))->text();
    }

    ManualBoardClock clock;
    SimulatedBoard board{clock};
    DacFunctions dac = board.functions();
    double rate = 2000.0;
    AnsweringPicker* picker = nullptr;
    CapturedMessages* messages = nullptr;
    std::unique_ptr<BoardMonitor> monitor;
};

// Two channels, `scans` scans: channel 1 counts up in steps of 100, channel 2 down by one.
std::vector<std::uint16_t> rampTable(std::size_t scans) {
    std::vector<std::uint16_t> codes;
    for (std::size_t k = 0; k < scans; ++k) {
        codes.push_back(static_cast<std::uint16_t>(100 * k));
        codes.push_back(static_cast<std::uint16_t>(65535 - k));
    }
    return codes;
}

QString fileText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

class BoardMonitorTest : public QObject {
    Q_OBJECT

  private slots:
    void saysItIsTheSimulatedBoard() {
        MonitorFixture f;
        QCOMPARE(f.monitor->windowTitle(),
                 QStringLiteral("Board Monitor — Simulated Board (no hardware)"));
        const auto* banner = f.monitor->findChild<QLabel*>(QStringLiteral("SimulatedBanner"));
        QVERIFY(banner && banner->isVisible());
        QVERIFY(banner->text().contains(QStringLiteral("no hardware")));
    }

    // Blocks 0 1 0 of a two-block table at 2000 Hz, ±5 V, two channels.
    void showsTheFiguresOfAKnownRun() {
        MonitorFixture f;
        f.monitor->refresh();
        QCOMPARE(f.value("ScansValue"), QStringLiteral("no run yet"));

        const auto table = rampTable(40);
        f.clock.advance(3s);
        f.startRun(2, 1);
        for (std::size_t block : {0, 1, 0})
            QCOMPARE(f.send(table, block, 2), 0u);
        f.clock.advance(10ms); // 20 of the 60 scans have played
        f.monitor->refresh();

        QCOMPARE(f.value("RateValue"), QStringLiteral("2000.000 Hz"));
        QCOMPARE(f.value("ChannelsValue"), QStringLiteral("2"));
        QCOMPARE(f.value("RangeValue"), QStringLiteral("±5V"));
        QCOMPARE(f.value("ScansValue"), QStringLiteral("60"));
        QCOMPARE(f.value("BlocksValue"), QStringLiteral("3"));
        QCOMPARE(f.value("LoopsValue"), QStringLiteral("1"));
        QCOMPARE(f.value("FillValue"), QStringLiteral("40 of 256 scans"));
        QCOMPARE(f.value("UnderrunsValue"), QStringLiteral("0"));
        QCOMPARE(f.value("RunTimeValue"), QStringLiteral("0.010 s"));
        QCOMPARE(f.value("ScanTimeValue"), QStringLiteral("0.030 s"));
    }

    // Channel 1 at 1 V and channel 2 at −3 V on the ±5 V range: each trace's colour lies on its
    // voltage's row at the right edge (the held output), and nowhere before the run.
    void plotsEachChannelAtItsVoltage() {
        MonitorFixture f;
        std::vector<std::uint16_t> table;
        for (int k = 0; k < 20; ++k)
            table.insert(table.end(), {39321, 13107}); // 1 V and −3 V
        QCOMPARE(CodeToVolts(39321, 1), 1.0);
        QCOMPARE(CodeToVolts(13107, 1), -3.0);
        f.startRun(2, 1);
        QCOMPARE(f.send(table, 0, 2), 0u);
        f.clock.advance(1s);
        f.monitor->refresh();

        MonitorPlot* plot = f.monitor->Plot;
        const QRect area = plot->traceArea();
        QCOMPARE(plot->yForVolts(5.0), double(area.top()));
        QCOMPARE(plot->yForVolts(-5.0), double(area.bottom()));
        const QImage image = plot->grab().toImage();
        if (const QByteArray out = qgetenv("ARB_MONITOR_SNAPSHOT"); !out.isEmpty())
            f.monitor->grab().save(QString::fromLocal8Bit(out));

        // The rows where a channel's colour appears in one pixel column.
        const auto rowsOf = [&](std::uint32_t channel, int x) {
            std::vector<int> rows;
            for (int y = area.top(); y <= area.bottom(); ++y)
                if (image.pixelColor(x, y) == MonitorPlot::channelColour(channel))
                    rows.push_back(y);
            return rows;
        };
        const struct {
            std::uint32_t channel;
            double volts;
        } traces[] = {{0, 1.0}, {1, -3.0}};
        for (const auto& t : traces) {
            const std::vector<int> rows = rowsOf(t.channel, area.right() - 2);
            QVERIFY2(!rows.empty(), qPrintable(QStringLiteral("channel %1").arg(t.channel + 1)));
            for (int y : rows)
                QVERIFY(std::abs(y - plot->yForVolts(t.volts)) <= 1.0);
            // 4 s window, the run 1 s old: the left quarter of the screen is before it.
            QVERIFY(rowsOf(t.channel, area.left() + area.width() / 8).empty());
        }
    }

    // While blocks come and the board's buffer is empty, a repaint would hold up the next block:
    // the plot holds still and says why, until playback stops.
    void holdsThePlotStillWhenPlaybackCannotAffordARepaint() {
        MonitorFixture f;
        f.monitor->Plot->grab(); // painted once: the plot now knows what a repaint costs
        QVERIFY(f.monitor->Plot->lastPaintSeconds() > 0);
        const auto table = rampTable(20);
        f.startRun(2, 3);
        QCOMPARE(f.send(table, 0, 2), 0u);
        f.clock.advance(20ms); // played out: nothing left in the buffer
        f.monitor->refresh();
        QVERIFY(f.monitor->PlotNoteLabel->text().contains(QStringLiteral("holds still")));

        f.clock.advance(1s); // no block for a second: playback has stopped
        f.monitor->refresh();
        QVERIFY(f.monitor->PlotNoteLabel->text().isEmpty());
    }

    // Only what the board receives between the two presses is recorded, one line a scan.
    void recordsWhatTheBoardReceivesWhileRecording() {
        MonitorFixture f;
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("run.csv"));
        f.picker->answer = path;
        const auto table = rampTable(60);
        f.startRun(2, 3);
        QCOMPARE(f.send(table, 0, 2), 0u); // before the press: not recorded

        QTest::mouseClick(f.monitor->RecordButton, Qt::LeftButton);
        QVERIFY(f.monitor->recording());
        QCOMPARE(f.monitor->RecordButton->text(), QStringLiteral("Stop Recording"));
        QCOMPARE(f.send(table, 1, 2), 0u);
        QCOMPARE(f.send(table, 2, 2), 0u);
        f.monitor->refresh();
        QVERIFY(f.monitor->RecordStatusLabel->text().contains(QStringLiteral("40 scans")));

        QTest::mouseClick(f.monitor->RecordButton, Qt::LeftButton);
        QVERIFY(!f.monitor->recording());
        QCOMPARE(f.monitor->RecordButton->text(), QStringLiteral("Record…"));
        QCOMPARE(f.send(table, 0, 2), 0u); // after: not recorded either

        QString expected = QStringLiteral("time_s,ch1,ch2\n");
        for (int k = 0; k < 40; ++k) // scans 20 to 59 of the table, 0.5 ms apart
            expected +=
                QString::asprintf("%.7f,%d,%d\n", k * 0.0005, 100 * (k + 20), 65535 - (k + 20));
        QCOMPARE(fileText(path), expected);
        QCOMPARE(f.picker->asked, 1);
        QVERIFY(f.messages->texts.isEmpty());
    }

    // /dev/full takes the file and refuses the writes: the recording ends with a message, and
    // every block still reaches the board.
    void aWriteErrorStopsTheRecordingButNotPlayback() {
        if (!QFile::exists(QStringLiteral("/dev/full")))
            QSKIP("no /dev/full");
        MonitorFixture f;
        f.picker->answer = QStringLiteral("/dev/full");
        const std::vector<std::uint16_t> table(20 * 16, 65535);
        f.startRun(16, 3);
        QTest::mouseClick(f.monitor->RecordButton, Qt::LeftButton);
        QVERIFY(f.monitor->recording());
        for (int b = 0; b < 60; ++b) // well past one large write of lines
            QCOMPARE(f.send(table, 0, 16), 0u);
        QCOMPARE(f.board.figures().blocksReceived, 60u);
        f.monitor->refresh();

        QVERIFY(!f.monitor->recording());
        QCOMPARE(f.monitor->RecordButton->text(), QStringLiteral("Record…"));
        QCOMPARE(f.messages->texts.size(), 1);
        QCOMPARE(f.messages->captions.front(), QStringLiteral("Board Monitor"));
        QVERIFY(f.messages->texts.front().contains(
            QStringLiteral("Could not write \"/dev/full\": No space left on device.")));
        QVERIFY(f.monitor->RecordStatusLabel->text().contains(QStringLiteral("No space left")));
        QCOMPARE(f.send(table, 0, 16), 0u);
    }

    void aFileThatCannotBeCreatedIsReportedAndNothingRecords() {
        MonitorFixture f;
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("missing/run.csv"));
        f.picker->answer = path;
        QTest::mouseClick(f.monitor->RecordButton, Qt::LeftButton);
        QVERIFY(!f.monitor->recording());
        QCOMPARE(f.monitor->RecordButton->text(), QStringLiteral("Record…"));
        QCOMPARE(f.messages->texts,
                 QStringList{QStringLiteral("Recording did not start: Could not create \"%1\": "
                                            "No such file or directory.")
                                 .arg(path)});
        QVERIFY(!QFile::exists(path));
    }

    void aCancelledQuestionRecordsNothing() {
        MonitorFixture f;
        QTest::mouseClick(f.monitor->RecordButton, Qt::LeftButton);
        QCOMPARE(f.picker->asked, 1);
        QVERIFY(!f.monitor->recording());
        QCOMPARE(f.monitor->RecordButton->text(), QStringLiteral("Record…"));
    }

    void opensOnlyForTheSimulatedBoard() {
        {
            ActiveBoard board("libarb_no_such_board.so");
            QVERIFY(board.simulated() != nullptr);
            QWidget mainWindow;
            mainWindow.show();
            BoardMonitor* monitor = OpenBoardMonitorIfSimulated(board, mainWindow);
            QVERIFY(monitor != nullptr);
            QVERIFY(monitor->isWindow() && monitor->isVisible());
            QCOMPARE(monitor->parentWidget(), &mainWindow);
        }
        {
            ActiveBoard board(RECORDING_BOARD_PATH);
            QVERIFY(board.simulated() == nullptr);
            QWidget mainWindow;
            QVERIFY(OpenBoardMonitorIfSimulated(board, mainWindow) == nullptr);
            QVERIFY(mainWindow.findChild<BoardMonitor*>() == nullptr);
        }
    }

    // Closing the main window ends the program although the monitor is open; destroying it takes
    // the monitor along, and the board then plays on without an observer.
    void goesWithTheMainWindow() {
        ActiveBoard board("libarb_no_such_board.so");
        auto mainWindow = std::make_unique<QWidget>();
        mainWindow->show();
        QPointer<BoardMonitor> monitor = OpenBoardMonitorIfSimulated(board, *mainWindow);
        QVERIFY(monitor && monitor->isVisible());
        // The event loop ends on its own once the main window closes, or the guard ends it.
        QTimer guard;
        guard.setSingleShot(true);
        bool guardEndedIt = false;
        connect(&guard, &QTimer::timeout, qApp, [&guardEndedIt] {
            guardEndedIt = true;
            QApplication::quit();
        });
        guard.start(5000);
        QTimer::singleShot(0, mainWindow.get(), [&mainWindow] { mainWindow->close(); });
        QApplication::exec();
        QVERIFY(!guardEndedIt);
        QVERIFY(monitor && !mainWindow->isVisible());

        mainWindow.reset();
        QVERIFY(monitor.isNull());
        const DacFunctions dac = board.functions();
        std::vector<std::uint16_t> block(20, 1);
        double rate = 8192.0;
        QCOMPARE(dac.outputProcess(0, &rate, 20, block.data()), 0u);
    }
};

} // namespace arb

QTEST_MAIN(arb::BoardMonitorTest)
#include "board_monitor_test.moc"
