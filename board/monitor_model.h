#pragma once

// What the board monitor knows, without a window: the blocks the simulated board received over
// the last seconds, kept in fixed rings so that taking a block costs a copy and no allocation
// (the board calls in while playback waits on it), and the figures of the current run.
//
// A run is the stream of blocks from one ReloadDeviceLinks on. The output holds each scan until
// the next one starts, as a DAC does: through the gap of an underrun, and after the last block.

#include "board/board_clock.h"
#include "board/simulated_board.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace arb {

struct MonitorRunFigures {
    bool started = false; // a block has come since the monitor began
    std::uint32_t channelCount = 0;
    std::uint32_t rangeCode = 0;
    double rateHz = 0;        // of the latest block
    std::uint64_t scans = 0;  // received in this run
    std::uint64_t blocks = 0; // received in this run
    // Blocks that came back to the run's first block: each one starts another pass through the
    // table.
    std::uint64_t loops = 0;
    BoardClock::time_point startedAt{};      // when the run's first scan reached the output
    BoardClock::time_point lastReceivedAt{}; // when the latest block was accepted
    double scanSeconds = 0;                  // the time the run's scans represent, each at its rate
};

// The lowest and highest code a channel showed within one column of time; empty when it showed
// none.
struct CodeSpan {
    std::uint16_t low = 0xFFFF;
    std::uint16_t high = 0;
    bool empty() const { return low > high; }
    void add(std::uint16_t code) {
        low = code < low ? code : low;
        high = code > high ? code : high;
    }
    bool operator==(const CodeSpan&) const = default;
};

// Whether the window may repaint now without starving the board: while blocks are coming, only
// when the board's buffer holds well more output than a repaint takes, since playback waits on
// the window's thread meanwhile. Between runs, always.
bool RepaintAffordable(const MonitorRunFigures& run, const SimulatedBoardFigures& board,
                       BoardClock::time_point now, double repaintSeconds);

class MonitorModel {
  public:
    static constexpr double kDefaultWindowSeconds = 4.0;
    // Room for the window's seconds at 8192 Hz × 16 channels twice over, and for the longest
    // block the board takes (65536 scans × 16 channels).
    static constexpr std::size_t kDefaultCodeCapacity = std::size_t{1} << 21;
    static constexpr std::size_t kDefaultBlockCapacity = 1u << 14;

    explicit MonitorModel(double windowSeconds = kDefaultWindowSeconds,
                          std::size_t codeCapacity = kDefaultCodeCapacity,
                          std::size_t blockCapacity = kDefaultBlockCapacity);

    // Takes one block as the board received it. Never allocates and never throws. A run with
    // another channel count or range than the last starts the traces afresh.
    void receive(const ReceivedBlock& block) noexcept;

    const MonitorRunFigures& run() const { return run_; }
    double windowSeconds() const { return windowSeconds_; }

    // Cuts [from, to) into `columns` equal columns and gives, for each channel c and column i,
    // at index c × columns + i, the codes on the output during that column. A scan covers every
    // column its time on the output touches. Empty when no block is kept.
    std::vector<CodeSpan> columnSpans(BoardClock::time_point from, BoardClock::time_point to,
                                      std::size_t columns) const;

  private:
    struct KeptBlock {
        BoardClock::time_point playsAt;
        double periodNs = 0;
        std::uint32_t scans = 0;
        std::uint64_t firstCode = 0; // absolute index into the code ring
    };
    void forgetAll() noexcept;
    void dropOldest() noexcept;
    std::size_t keptCodes() const noexcept;
    const KeptBlock& kept(std::size_t i) const {
        return blocks_[(firstBlock_ + i) % blocks_.size()];
    }

    double windowSeconds_;
    MonitorRunFigures run_;
    const std::uint16_t* runFirstSamples_ = nullptr;

    std::vector<std::uint16_t> codes_; // ring; absolute index i lives at i % size
    std::uint64_t nextCode_ = 0;       // absolute index of the next code to write
    std::vector<KeptBlock> blocks_;    // ring of the kept blocks, oldest first
    std::size_t firstBlock_ = 0;
    std::size_t blockCount_ = 0;
    std::uint32_t keptChannels_ = 0; // channel count of the kept blocks
};

} // namespace arb
