// Does the board monitor cost playback anything it cannot afford? Runs the playback loop at
// 8192 Hz with 16 channels on the simulated board and the real clock, serving the window's
// events between blocks as the main window does: once without the monitor, once with it shown
// (and, a third time, recording to a file), with the board's deepest and shallowest buffers.
// Prints underruns, paints, and the time each block costs outside the board's wait. Asserts
// nothing.
//
//     monitor_bench [seconds per pass, default 10] [record file, default none]

#include "app/board_monitor.h"
#include "app/board_monitor_plot.h"
#include "board/simulated_board.h"
#include "output/playback_run.h"
#include "table/row_store.h"

#include <QApplication>
#include <QEvent>
#include <QPushButton>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using arb::BoardClock;

// The real clock, adding up the time the board spends waiting for room in its buffer.
class WaitTimingClock final : public BoardClock {
  public:
    time_point now() override { return real_.now(); }
    void sleepUntil(time_point t) override {
        const auto before = Clock::now();
        real_.sleepUntil(t);
        waited += Clock::now() - before;
    }
    Clock::duration waited{};

  private:
    arb::SteadyBoardClock real_;
};

// The window's part in a run: serve events once per block, keep Repeat ticked until the end.
class BenchHost final : public arb::PlaybackHost {
  public:
    explicit BenchHost(Clock::time_point end) : end_(end) {}
    void ServePendingEvents() override {
        const auto before = Clock::now();
        QCoreApplication::processEvents();
        serve.push_back(std::chrono::duration<double, std::micro>(Clock::now() - before).count());
    }
    bool RepeatTicked() const override { return Clock::now() < end_; }
    void UntickRepeat() override {}
    void ShowPlayReport(const std::string&) override {}
    void SetCaption(const std::string& text) override { caption = text; }
    void ShowWarning(const std::string& text, const std::string&) override { caption = text; }
    void ClearCodePane() override {}
    bool ShowRawDataTicked() const override { return false; }
    void ShowCodeListing(const arb::CodeListing&) override {}

    std::vector<double> serve; // µs per block
    std::string caption;

  private:
    Clock::time_point end_;
};

class PaintCounter final : public QObject {
  public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
    int paints = 0;
};

class NoPicker final : public arb::RecordFilePicker {
  public:
    void pickRecordFile(QWidget&, std::function<void(const QString&)> chosen) override {
        chosen(path);
    }
    QString path;
};

class PrintedMessages final : public arb::MonitorMessages {
  public:
    void showMonitorMessage(QWidget&, const QString& text, const QString&) override {
        std::printf("  monitor message: %s\n", qPrintable(text));
    }
};

// One second of 16 sine waves, one per channel, at 1..16 Hz.
arb::RowStore SineTable(std::size_t rows) {
    arb::RowStore store;
    std::vector<std::string> text(16);
    std::vector<std::string_view> fields(16);
    for (std::size_t r = 0; r < rows; ++r) {
        for (std::size_t c = 0; c < 16; ++c) {
            const double phase = 2 * M_PI * static_cast<double>((c + 1) * r) / rows;
            text[c] = std::to_string(9.0 * std::sin(phase));
            fields[c] = text[c];
        }
        store.appendRow(fields);
    }
    return store;
}

double percentile(std::vector<double> values, double p) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(p * static_cast<double>(values.size() - 1))];
}

enum class Pass { Bare, Monitor, MonitorRecording };

void runPass(Pass pass, std::uint16_t depthValue, double seconds, const arb::RowStore& rows,
             const QString& recordPath) {
    WaitTimingClock clock;
    arb::SimulatedBoard board(clock);
    const arb::DacFunctions dac = board.functions();
    dac.vendorWrite(0, arb::kConfigRequest, depthValue, arb::kBufferDepthIndex, 0, nullptr);
    std::unique_ptr<arb::BoardMonitor> monitor;
    PaintCounter paints;
    if (pass != Pass::Bare) {
        auto picker = std::make_unique<NoPicker>();
        picker->path = recordPath;
        monitor = std::make_unique<arb::BoardMonitor>(board, clock, std::move(picker),
                                                      std::make_unique<PrintedMessages>());
        monitor->Plot->installEventFilter(&paints);
        monitor->show();
        QCoreApplication::processEvents();
        if (pass == Pass::MonitorRecording)
            monitor->RecordButton->click();
    }

    const std::vector<arb::BoardRange> ranges(16, 3);
    const arb::PlaybackSettings settings{rows, 8192, 3, 16, ranges, '.'};
    double sampleHz = 0;
    const auto start = Clock::now();
    BenchHost host(start + std::chrono::duration_cast<Clock::duration>(
                               std::chrono::duration<double>(seconds)));
    arb::RunPlayback(dac, sampleHz, settings, host);
    const auto elapsed = Clock::now() - start;
    if (monitor && monitor->recording())
        monitor->RecordButton->click();

    const arb::SimulatedBoardFigures f = board.figures();
    const double blocks = static_cast<double>(f.blocksReceived);
    const double outsideUs =
        std::chrono::duration<double, std::micro>(elapsed - clock.waited).count() / blocks;
    const char* names[] = {"without the monitor", "with the monitor shown",
                           "with the monitor shown and recording"};
    std::printf("%s, buffer of %u scans:\n", names[static_cast<int>(pass)], f.depthScans);
    std::printf("  %.0f blocks in %.2f s at %.3f Hz, %llu underruns%s%s\n", blocks,
                std::chrono::duration<double>(elapsed).count(), f.rateHz,
                static_cast<unsigned long long>(f.underruns), host.caption.empty() ? "" : ", ",
                host.caption.c_str());
    std::printf("  time per block outside the board's wait: %.1f us (block period %.1f us)\n",
                outsideUs, 20e6 / f.rateHz);
    std::printf("  serving events per block: median %.1f us, p99 %.1f us, max %.1f us\n",
                percentile(host.serve, 0.5), percentile(host.serve, 0.99),
                percentile(host.serve, 1.0));
    if (!monitor)
        return;
    std::printf("  plot paints: %d (%.1f a second)\n", paints.paints,
                paints.paints / std::chrono::duration<double>(elapsed).count());

    // One repaint of a full window, and the column pass within it, timed apart from playback.
    constexpr int kRepeats = 40;
    const auto now = clock.now();
    const auto window = std::chrono::duration_cast<BoardClock::duration>(
        std::chrono::duration<double>(monitor->model().windowSeconds()));
    const auto columns = static_cast<std::size_t>(monitor->Plot->traceArea().width());
    auto before = Clock::now();
    std::size_t spans = 0;
    for (int i = 0; i < kRepeats; ++i)
        spans += monitor->model().columnSpans(now - window, now, columns).size();
    const double columnMs =
        std::chrono::duration<double, std::milli>(Clock::now() - before).count() / kRepeats;
    before = Clock::now();
    monitor->Plot->showUntil(now, 3, 16);
    for (int i = 0; i < kRepeats; ++i)
        monitor->Plot->repaint();
    const double paintMs =
        std::chrono::duration<double, std::milli>(Clock::now() - before).count() / kRepeats;
    std::printf("  one repaint of the last %.0f s (%zu columns x 16 channels): %.2f ms, of which "
                "the column pass %.2f ms\n",
                monitor->model().windowSeconds(), spans / kRepeats / 16, paintMs, columnMs);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
    const QString recordPath = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    const arb::RowStore rows = SineTable(8192);
    std::printf("playback at 8192 Hz x 16 channels, blocks of 20 scans, %.0f s a pass, on %s\n",
                seconds, qPrintable(QGuiApplication::platformName()));
    // The deepest buffer the program can ask for (its default), then the shallowest of whole
    // blocks, where any repaint would outlast what the board holds.
    for (const std::uint16_t depthValue : {255, 19}) {
        runPass(Pass::Bare, depthValue, seconds, rows, recordPath);
        runPass(Pass::Monitor, depthValue, seconds, rows, recordPath);
        if (!recordPath.isEmpty())
            runPass(Pass::MonitorRecording, depthValue, seconds, rows, recordPath);
    }
    return 0;
}
