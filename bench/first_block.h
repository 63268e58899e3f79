#pragma once

#include "bench/bench_support.h"
#include "board/simulated_board.h"
#include "output/playback_host.h"
#include "output/playback_run.h"
#include "output/sample_conversion.h"
#include "table/table_loader.h"

#include <vector>

namespace arb::bench {

// A host that serves nothing and asks for no repetition, so a run ends after its first block;
// it only touches the listing it is shown.
class QuietHost : public PlaybackHost {
  public:
    void ServePendingEvents() override {}
    bool RepeatTicked() const override { return false; }
    void UntickRepeat() override {}
    void ShowPlayReport(const std::string&) override {}
    void SetCaption(const std::string&) override {}
    void ShowWarning(const std::string&, const std::string&) override {}
    void ClearCodePane() override {}
    bool ShowRawDataTicked() const override { return true; }
    void ShowCodeListing(const CodeListing& listing) override { Keep(listing.text().size()); }
};

// Play's data work up to the first block: loads `file` untimed, then times one run of every
// column on ±10 V, on a simulated board, at `sliderHz`. Gives the seconds.
inline double TimeFirstBlock(const BenchFile& file, int sliderHz) {
    constexpr BoardRange kPlusMinus10 = 3;
    const LoadedTable table = LoadTable(file.path);
    const std::vector<BoardRange> ranges(file.columns, kPlusMinus10);
    SimulatedBoard board;
    const DacFunctions functions = board.functions();
    QuietHost host;
    double sampleHz = 0;
    const PlaybackSettings settings{
        table.rows, sliderHz, kPlusMinus10, static_cast<int>(file.columns), ranges, '.'};
    const double t = Now();
    RunPlayback(functions, sampleHz, settings, host);
    return Now() - t;
}

} // namespace arb::bench
