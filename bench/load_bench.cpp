// Loading: the loader's data work on file A and on the small file, against a floor measured in the
// same run: one read of the file and every line cut into fields as string views.

#include "bench/bench_support.h"
#include "bench/field_walk.h"
#include "table/table_loader.h"
#include "table/text_utils.h"

#include <cstdio>
#include <cstring>
#include <string_view>

using namespace arb;
using namespace arb::bench;

namespace {

// Reads the file once and visits every field of every line; returns the number of fields.
std::size_t ReadAndCut(const std::string& path) {
    const std::string text = ReadFileToString(path);
    std::size_t fields = 0, bytes = 0;
    ForEachField(
        text,
        [&](std::string_view field) {
            bytes += field.size();
            ++fields;
        },
        [] {});
    Keep(bytes);
    return fields;
}

void BenchOne(const BenchFile& file, int runs) {
    std::printf("%s: %zu rows x %zu columns, %.1f MB\n", file.path.c_str(), file.rows, file.columns,
                file.bytes / 1e6);
    const Figures floor = Repeat(runs, [&] {
        const double t = Now();
        Keep(ReadAndCut(file.path));
        return Now() - t;
    });
    PrintFigures("floor: read and cut into fields", floor);

    const Figures load = Repeat(runs, [&] {
        const double t = Now();
        const LoadedTable table = LoadTable(file.path);
        const double seconds = Now() - t;
        Keep(table.rows.size());
        return seconds;
    });
    PrintFigures("LoadTable", load);

    // What the window does with "Show File Data" ticked: the listing is made and kept.
    const Figures listed = Repeat(runs, [&] {
        std::string kept;
        const double t = Now();
        const LoadedTable table =
            LoadTable(file.path, [&](std::string&& listing) { kept = std::move(listing); });
        const double seconds = Now() - t;
        Keep(table.rows.size() + kept.size());
        return seconds;
    });
    PrintFigures("LoadTable with the file listing kept", listed);

    const double mb = file.bytes / 1e6;
    PrintVerdict("LoadTable time / floor", load.seconds.median / floor.seconds.median, 2.0);
    PrintVerdict("LoadTable peak memory / file size", load.peakMB.median / mb, 2.0);
    // The listing is the window's debug pane, not the loader's data work: shown, not judged.
    std::printf("  with the listing kept: %.2fx the floor's time, %.2fx the file's size\n",
                listed.seconds.median / floor.seconds.median, listed.peakMB.median / mb);
}

} // namespace

int main() {
    std::printf("== load_bench: the loader's data work (medians of runs in fresh processes) ==\n");
    BenchOne(BigFile(), 5);
    BenchOne(SmallFile(), 9);
}
