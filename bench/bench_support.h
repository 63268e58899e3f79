#pragma once

// What every benchmark shares: the generated data files, a measurement in a fresh child process
// (time and peak memory), medians with their spread, and the verdict line against a target.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace arb::bench {

// A table file of `rows` lines of `columns` values in volts (±10, 4 to 6 decimals), TAB-separated,
// CR LF line ends, below a header line of channel names. The same bytes on every run.
struct BenchFile {
    std::string path;
    std::size_t rows = 0; // data rows, the header not counted
    std::size_t columns = 0;
    std::size_t bytes = 0;
};

// File A (1,000,000 x 16, about 136 MB) and the small file (100,000 x 2), generated once into
// `folder` (default: $ARB_BENCH_DATA, else /tmp/arb-bench) and reused while their size matches.
BenchFile BigFile();
BenchFile SmallFile();

// One measurement: the seconds of the timed work and the peak memory above the process's memory
// when the work began.
struct Sample {
    double seconds = 0;
    double peakBytes = 0;
};

// Runs `work` in a forked child so every sample starts from fresh memory; `work` returns the
// seconds it measured itself (so set-up inside the child can stay out of the time).
Sample MeasureInChild(const std::function<double()>& work);

// Seconds since `start` on the steady clock, as returned by Now().
double Now();

struct Summary {
    double median = 0, min = 0, max = 0;
};
Summary Summarise(std::vector<double> values);

// Repeats MeasureInChild and summarises times and peaks.
struct Figures {
    Summary seconds, peakMB;
};
Figures Repeat(int runs, const std::function<double()>& work);

// "name  median s [min..max]  peak MB" on one line.
void PrintFigures(const std::string& name, const Figures& figures);
// "target: <text>  ratio <r> (limit <limit>)  met|NOT met"; returns whether it was met.
bool PrintVerdict(const std::string& target, double ratio, double limit);

// Keeps the optimiser from dropping a result.
void Keep(std::size_t value);

} // namespace arb::bench
