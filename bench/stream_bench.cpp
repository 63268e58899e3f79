// Streaming: Repeat ticked in the window on the simulated board, 16 channels at 8192 Hz, for 60 s
// (or the seconds given as the first argument), the window otherwise idle. Reports the board's
// underruns and the time each block spends outside the board's wait (from the return of one
// DACOutputProcess call to the next call), against the block's period.

#include "bench/bench_support.h"
#include "bench/window_support.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace arb;
using namespace arb::bench;

namespace {

DacFunctions gBoard;                      // the simulated board's own table
std::vector<double> gCallStart, gCallEnd; // of every DACOutputProcess call

std::uint32_t TimedOutputProcess(std::uint32_t device, double* rateHz, std::uint32_t sampleCount,
                                 const std::uint16_t* samples) {
    gCallStart.push_back(Now());
    const std::uint32_t result = gBoard.outputProcess(device, rateHz, sampleCount, samples);
    gCallEnd.push_back(Now());
    return result;
}

double Percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(p * static_cast<double>(values.size() - 1))];
}

} // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 60.0;
    const BenchFile file = BigFile();
    std::printf("== stream_bench: %.0f s at 8192 Hz, 16 channels, file A, window idle ==\n",
                seconds);

    const auto app = MakeApplication();
    SimulatedBoard board;
    gBoard = board.functions();
    DacFunctions timed = gBoard;
    timed.outputProcess = &TimedOutputProcess;
    CountingBoxes boxes;
    TMainForm form(timed, boxes);
    form.InitControls();
    form.ShowCentred();
    form.cbNumDACs->setCurrentIndex(15);
    form.tbHz->setValue(8192);
    form.MainFileEdit->setText(QString::fromStdString(file.path));
    form.LoadButton->click();
    ServeUntilIdle();
    gCallStart.reserve(static_cast<std::size_t>(seconds * 8192 / 20 * 1.2) + 16);
    gCallEnd.reserve(gCallStart.capacity());

    QTimer::singleShot(static_cast<int>(seconds * 1000), &form,
                       [&] { form.cbForever->setChecked(false); });
    board.resetCounters();
    form.cbForever->setChecked(true); // clicks Play; returns when the timer unticks the box

    const SimulatedBoardFigures figures = board.figures();
    std::vector<double> outside;
    for (std::size_t i = 1; i < gCallStart.size(); ++i)
        outside.push_back(gCallStart[i] - gCallEnd[i - 1]);
    if (outside.empty()) {
        std::printf("  no blocks were sent\n");
        return 1;
    }
    double total = 0;
    for (double s : outside)
        total += s;
    const double period = 20.0 / figures.rateHz;
    const double mean = total / static_cast<double>(outside.size());
    std::printf("  blocks %zu, scans played %llu, rate %.3f Hz, block period %.3f ms\n",
                gCallStart.size(), static_cast<unsigned long long>(figures.scansPlayed),
                figures.rateHz, period * 1e3);
    std::printf("  outside the wait per block: mean %.1f us, median %.1f us, p99 %.1f us, max "
                "%.1f us\n",
                mean * 1e6, Percentile(outside, 0.5) * 1e6, Percentile(outside, 0.99) * 1e6,
                Percentile(outside, 1.0) * 1e6);
    std::printf("  underruns %llu, message boxes %d\n",
                static_cast<unsigned long long>(figures.underruns), boxes.count);
    PrintVerdict("underruns (window idle)", static_cast<double>(figures.underruns), 0.0);
    PrintVerdict("mean time outside the wait / block period", mean / period, 0.05);
    PrintVerdict("p99 time outside the wait / block period", Percentile(outside, 0.99) / period,
                 0.05);
}
