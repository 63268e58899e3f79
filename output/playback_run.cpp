#include "playback_run.h"

#include "board_check.h"
#include "play_report.h"
#include "sample_conversion.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace arb {

namespace {

constexpr std::uint32_t kDeviceIndex = 0;
constexpr std::size_t kScansPerBlock = 20;

void CheckSettings(const PlaybackSettings& settings) {
    if (settings.channelCount < 1 || settings.channelCount > 16)
        throw std::invalid_argument("channel count must be 1 to 16");
    if (settings.boardRange < 0 || settings.boardRange > 3)
        throw std::invalid_argument("board range must be 0 to 3");
}

// Sends blocks from `samples` until the host's Repeat is found unticked; returns the result of the
// last DACOutputProcess call.
std::uint32_t StreamBlocks(const DacFunctions& board, double& sampleHz,
                           const TSampleBuffer& samples, std::size_t blockSamples,
                           PlaybackHost& host) {
    std::uint32_t result = 0;
    std::uint16_t block = 0; // wraps from 65535 to 0, so at most 65536 blocks are ever reached
    do {
        result =
            board.outputProcess(kDeviceIndex, &sampleHz, static_cast<std::uint32_t>(blockSamples),
                                samples.data() + block * blockSamples);
        if (result != 0) {
            host.SetCaption(std::to_string(result) + " error on DACOutputProcess");
            host.UntickRepeat();
        }
        ++block;
        if (samples.size() < (block + std::size_t{1}) * blockSamples)
            block = 0; // only whole blocks are sent
        host.ServePendingEvents();
    } while (host.RepeatTicked());
    return result;
}

} // namespace

void RunPlayback(const DacFunctions& board, double& sampleHz, const PlaybackSettings& settings,
                 PlaybackHost& host) {
    RequireCompleteBoard(board);
    CheckSettings(settings);

    // The status figure uses the rate of the run's start, whatever the board later writes back.
    const double startHz = static_cast<double>(settings.sliderPosition);
    sampleHz = startHz;
    board.reloadDeviceLinks();

    const std::uint32_t rangeResult =
        board.setBoardRange(kDeviceIndex, static_cast<std::uint32_t>(settings.boardRange));
    if (rangeResult != 0) {
        const std::string number = std::to_string(rangeResult);
        host.ShowWarning("Error " + number + " setting board range.",
                         "DACSetBoardRange Error " + number);
        return;
    }

    const int channels = settings.channelCount;
    board.vendorWrite(kDeviceIndex, kConfigRequest, static_cast<std::uint16_t>(channels * 256 + 1),
                      kChannelCountIndex, 0, nullptr);
    board.outputSetCount(kDeviceIndex, static_cast<std::uint32_t>(channels));

    host.ClearCodePane();
    host.ShowPlayReport("Parsing file\u2026");
    const std::size_t rowCount = settings.rows.size();
    // The run owns its codes from here on and reads nothing more of `settings`: events served
    // between blocks may load another table or start a nested run.
    const ConvertedTable table =
        BuildSampleBuffer({settings.rows, channels, settings.boardRange, settings.channelRanges,
                           settings.decimalSeparator});
    if (host.ShowRawDataTicked())
        host.ShowCodeListing(table.listing);
    host.ShowPlayReport(PlayingReport(rowCount, startHz, settings.decimalSeparator));

    // A table shorter than one block goes out as one shorter block of all its rows; an empty
    // table has nothing to send.
    const std::size_t blockSamples =
        std::min(rowCount, kScansPerBlock) * static_cast<std::size_t>(channels);
    std::uint32_t lastResult = 0;
    if (blockSamples != 0)
        lastResult = StreamBlocks(board, sampleHz, table.samples, blockSamples, host);

    host.ShowPlayReport("");
    if (lastResult != 0) {
        const std::string number = std::to_string(lastResult);
        host.ShowWarning("Error " + number + " launching DAC output process.",
                         "DACOutputProcess Error " + number);
    }
}

} // namespace arb
