#include "board/monitor_model.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <limits>

namespace arb {

bool RepaintAffordable(const MonitorRunFigures& run, const SimulatedBoardFigures& board,
                       BoardClock::time_point now, double repaintSeconds) {
    // A gap this long between blocks means playback has stopped (or waits on something else).
    constexpr auto kStreamingGap = std::chrono::milliseconds(500);
    if (!run.started || now - run.lastReceivedAt > kStreamingGap)
        return true;
    const double bufferedSeconds = board.rateHz > 0 ? board.fillScans / board.rateHz : 0;
    return bufferedSeconds > 2 * repaintSeconds;
}

MonitorModel::MonitorModel(double windowSeconds, std::size_t codeCapacity,
                           std::size_t blockCapacity)
    : windowSeconds_(windowSeconds), codes_(std::max<std::size_t>(codeCapacity, 1)),
      blocks_(std::max<std::size_t>(blockCapacity, 2)) {}

void MonitorModel::forgetAll() noexcept {
    firstBlock_ = 0;
    blockCount_ = 0;
}

void MonitorModel::dropOldest() noexcept {
    firstBlock_ = (firstBlock_ + 1) % blocks_.size();
    --blockCount_;
}

std::size_t MonitorModel::keptCodes() const noexcept {
    return blockCount_ == 0 ? 0 : static_cast<std::size_t>(nextCode_ - kept(0).firstCode);
}

void MonitorModel::receive(const ReceivedBlock& block) noexcept {
    const std::size_t count = block.codes.size();
    if (block.channelCount == 0 || count == 0 || count % block.channelCount != 0 ||
        !(block.rateHz > 0))
        return;
    const auto scans = static_cast<std::uint32_t>(count / block.channelCount);

    // The traces of another channel layout or range no longer line up with this one's.
    if (block.channelCount != keptChannels_ || block.rangeCode != run_.rangeCode)
        forgetAll();
    keptChannels_ = block.channelCount;

    if (block.startsStream || !run_.started) {
        run_ = {};
        run_.started = true;
        run_.startedAt = block.playsAt;
        runFirstSamples_ = block.codes.data();
    } else if (block.codes.data() == runFirstSamples_) {
        ++run_.loops;
    }
    run_.channelCount = block.channelCount;
    run_.rangeCode = block.rangeCode;
    run_.rateHz = block.rateHz;
    run_.lastReceivedAt = block.receivedAt;
    run_.scans += scans;
    ++run_.blocks;
    run_.scanSeconds += scans / block.rateHz;

    if (count > codes_.size()) { // longer than the whole ring: nothing older fits either
        forgetAll();
        return;
    }
    // Keep what the window may still show, within the rings' room.
    const auto oldestShown = block.receivedAt - std::chrono::duration_cast<BoardClock::duration>(
                                                    std::chrono::duration<double>(windowSeconds_));
    while (blockCount_ > 0 &&
           (keptCodes() + count > codes_.size() || blockCount_ == blocks_.size() ||
            (blockCount_ > 1 && kept(1).playsAt < oldestShown)))
        dropOldest();

    const std::size_t at = static_cast<std::size_t>(nextCode_ % codes_.size());
    const std::size_t firstPart = std::min(count, codes_.size() - at);
    std::memcpy(codes_.data() + at, block.codes.data(), firstPart * sizeof(std::uint16_t));
    std::memcpy(codes_.data(), block.codes.data() + firstPart,
                (count - firstPart) * sizeof(std::uint16_t));
    blocks_[(firstBlock_ + blockCount_) % blocks_.size()] = {block.playsAt, 1e9 / block.rateHz,
                                                             scans, nextCode_};
    ++blockCount_;
    nextCode_ += count;
}

std::vector<CodeSpan> MonitorModel::columnSpans(BoardClock::time_point from,
                                                BoardClock::time_point to,
                                                std::size_t columns) const {
    if (blockCount_ == 0 || columns == 0 || to <= from)
        return {};
    const std::uint32_t channels = keptChannels_;
    std::vector<CodeSpan> spans(channels * columns);
    const double widthNs = static_cast<double>((to - from).count());
    const double columnNs = widthNs / static_cast<double>(columns);
    const std::size_t ringSize = codes_.size();
    constexpr double kForever = std::numeric_limits<double>::infinity();

    for (std::size_t b = 0; b < blockCount_; ++b) {
        const KeptBlock& block = kept(b);
        // The last scan holds the output until the next block starts, or for good.
        const double nextStartNs = b + 1 < blockCount_
                                       ? static_cast<double>((kept(b + 1).playsAt - from).count())
                                       : kForever;
        if (nextStartNs <= 0)
            continue;
        const double startNs = static_cast<double>((block.playsAt - from).count());
        for (std::uint32_t k = 0; k < block.scans; ++k) {
            const double scanStart = startNs + k * block.periodNs;
            if (scanStart >= widthNs)
                return spans; // this and every later scan starts after the window
            double scanEnd = scanStart + block.periodNs;
            if (k + 1 == block.scans)
                scanEnd = std::max(scanEnd, nextStartNs);
            if (scanEnd <= 0)
                continue;
            const auto first =
                scanStart <= 0 ? std::size_t{0} : static_cast<std::size_t>(scanStart / columnNs);
            const std::size_t last =
                scanEnd >= widthNs ? columns - 1
                                   : static_cast<std::size_t>(std::ceil(scanEnd / columnNs)) - 1;
            std::size_t index = static_cast<std::size_t>(
                (block.firstCode + std::uint64_t{k} * channels) % ringSize);
            for (std::uint32_t ch = 0; ch < channels; ++ch, ++index) {
                if (index == ringSize)
                    index = 0;
                const std::uint16_t code = codes_[index];
                CodeSpan* row = spans.data() + std::size_t{ch} * columns;
                for (std::size_t c = first; c <= last && c < columns; ++c)
                    row[c].add(code);
            }
        }
    }
    return spans;
}

} // namespace arb
