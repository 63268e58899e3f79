// Converting: the loaded table into DAC codes and the hex listing (Play up to the first block),
// against a floor measured in the same run: one read of the file, every field parsed and turned
// into its code for the ±10 V range, with the listing written alongside.

#include "bench/bench_support.h"
#include "bench/field_walk.h"
#include "bench/first_block.h"
#include "board/simulated_board.h"
#include "output/playback_run.h"
#include "output/sample_conversion.h"
#include "output/volts_parser.h"
#include "table/huge_pages.h"
#include "table/table_loader.h"
#include "table/text_utils.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

using namespace arb;
using namespace arb::bench;

namespace {

constexpr BoardRange kPlusMinus10 = 3;

// Read, cut, parse, convert, list: the least a conversion of the file can do.
std::size_t ReadParseConvert(const BenchFile& file) {
    const std::string text = ReadFileToString(file.path);
    // Fresh buffers on huge pages, as the conversion's own.
    std::vector<std::uint16_t> codes;
    codes.reserve((file.rows + 1) * file.columns);
    AdviseHugePages(codes.data(), codes.capacity() * sizeof(std::uint16_t));
    codes.resize(codes.capacity());
    std::string listing;
    listing.reserve((file.rows + 1) * (5 * file.columns + 2));
    AdviseHugePages(listing.data(), listing.capacity());
    static const char kHex[] = "0123456789ABCDEF";
    std::uint16_t* code = codes.data();
    std::size_t bad = 0;
    ForEachField(
        text,
        [&](std::string_view field) {
            long double volts = 0;
            if (!ParseVolts(field, '.', volts))
                ++bad; // the header
            const double v =
                static_cast<double>((static_cast<double>(volts / 10.0L) + 1.0L) / 2.0L);
            const std::uint16_t c = ClampToWord(static_cast<double>(v * 65536.0L));
            *code++ = c;
            const char hex[5] = {kHex[c >> 12], kHex[(c >> 8) & 15], kHex[(c >> 4) & 15],
                                 kHex[c & 15], ' '};
            listing.append(hex, 5);
        },
        [&] { listing += "\r\n"; });
    Keep(bad + listing.size());
    return static_cast<std::size_t>(code - codes.data());
}

void BenchOne(const BenchFile& file, int runs) {
    std::printf("%s: %zu rows x %zu columns, %.1f MB\n", file.path.c_str(), file.rows, file.columns,
                file.bytes / 1e6);
    const std::vector<BoardRange> ranges(file.columns, kPlusMinus10);
    const int channels = static_cast<int>(file.columns);

    const Figures floor = Repeat(runs, [&] {
        const double t = Now();
        Keep(ReadParseConvert(file));
        return Now() - t;
    });
    PrintFigures("floor: read, parse, convert, list", floor);

    const Figures convert = Repeat(runs, [&] {
        const LoadedTable table = LoadTable(file.path);
        const double t = Now();
        const ConvertedTable codes =
            BuildSampleBuffer({table.rows, channels, kPlusMinus10, ranges, '.'});
        const double seconds = Now() - t;
        Keep(codes.samples.size() + codes.listing.text().size());
        return seconds;
    });
    PrintFigures("BuildSampleBuffer", convert);

    const Figures play = Repeat(runs, [&] { return TimeFirstBlock(file, 8192); });
    PrintFigures("RunPlayback, Repeat unticked (one block)", play);

    PrintVerdict("BuildSampleBuffer time / floor", convert.seconds.median / floor.seconds.median,
                 2.0);
    PrintVerdict("RunPlayback time / floor", play.seconds.median / floor.seconds.median, 2.0);
}

} // namespace

int main() {
    std::printf("== convert_bench: codes and listing (medians of runs in fresh processes) ==\n");
    BenchOne(BigFile(), 5);
    BenchOne(SmallFile(), 9);
}
