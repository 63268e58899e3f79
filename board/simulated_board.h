#pragma once

// A stand-in for the DAC board that behaves like the hardware, so the program is complete on a
// machine without the board and playback can be measured.
//
// The model: the board has an output buffer (FIFO) of `depthScans` scans that its sample clock
// drains at one scan per clock period. `DACOutputProcess` feeds a block into the buffer and
// returns once the block's last scan has entered it, so the first blocks return at once and
// later ones wait for room: that wait is what paces playback in real time. A block longer than
// the buffer streams through it. The sample clock is 10 MHz divided by a whole number, so the
// board runs at the achievable rate nearest the one asked for and writes that rate back.
//
// Everything runs on the caller's thread; nothing is locked.

#include "board/board_clock.h"
#include "board/dac_functions.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <span>
#include <vector>

namespace arb {

// Result codes of the simulated board's operations. A rejected call changes nothing.
enum class SimulatedBoardResult : std::uint32_t {
    Ok = 0,
    BadDevice = 1,       // a device index other than 0: the simulated board is device 0 only
    BadRange = 2,        // a range code above 3
    BadChannelCount = 3, // a channel count of 0 or above 16
    BadSampleCount = 4,  // a sample count of 0, not a whole number of scans, or above the limit
    NullAddress = 5,     // a null rate or sample address, or null data with a nonzero length
    BadRate = 6,         // a rate that is not a finite number from 1 Hz to 500 kHz
    BadRequest = 7,      // a vendor request other than the known forms of request 0xC7
    NotBound = 8,        // a call through the function table while no simulated board is bound
};

// The board's limits and defaults, with their reasons.
struct SimulatedBoardLimits {
    static constexpr double kClockHz = 10e6;  // the sample clock is this divided by a whole number
    static constexpr double kMinRateHz = 1.0; // divisor 10,000,000
    static constexpr double kMaxRateHz = 500e3; // divisor 20: the DAC's fastest conversion
    static constexpr std::uint32_t kMaxChannels = 16;
    static constexpr std::uint32_t kMaxScansPerBlock = 65536; // one transfer's limit
    // Powers up with the deepest buffer the program can ask for, so that blocks of 20 scans
    // queue well ahead of the output and input handling between blocks does not starve it.
    static constexpr std::uint32_t kDefaultDepthScans = 256;
    static constexpr double kDefaultRateHz = 1000.0;
    static constexpr std::uint32_t kDefaultRangeCode = 3; // ±10 V
    static constexpr std::uint32_t kDefaultChannels = 1;
    // The per-channel history keeps this many seconds of output, at most kHistoryCap samples.
    static constexpr double kHistorySeconds = 4.0;
    static constexpr std::size_t kHistoryCap = 1u << 18;
};

// What the board has done, for a view or a benchmark.
struct SimulatedBoardFigures {
    std::uint64_t scansSent = 0;      // scans accepted by DACOutputProcess
    std::uint64_t scansPlayed = 0;    // scans that have left the buffer through the DAC
    std::uint64_t blocksReceived = 0; // accepted DACOutputProcess calls
    std::uint64_t underruns = 0;      // times the buffer ran dry before the next block came
    std::uint64_t rejectedCalls = 0;  // calls answered with a nonzero result
    std::uint32_t fillScans = 0;      // scans in the buffer now
    std::uint32_t depthScans = 0;
    double rateHz = 0; // the rate in force
    std::uint32_t rangeCode = 0;
    std::uint32_t channelCount = 0;

    bool operator==(const SimulatedBoardFigures&) const = default;
};

// One accepted block, as the board received it. `codes` is valid only during the callback; its
// data() is the caller's samples address, so a viewer can tell when a stream comes round again.
struct ReceivedBlock {
    std::span<const std::uint16_t> codes; // channel-interleaved, scan by scan
    std::uint32_t channelCount = 0;
    double rateHz = 0;                 // the rate the block plays at
    BoardClock::time_point receivedAt; // when the call accepted it (after any wait)
    BoardClock::time_point playsAt;    // when its first scan reaches the output
    std::uint32_t rangeCode = 0;       // the board range the block plays in
    bool startsStream = false;         // the first block since ReloadDeviceLinks
};

class SimulatedBoard {
  public:
    using BlockObserver = std::function<void(const ReceivedBlock&)>;

    // `clock` must outlive the board.
    explicit SimulatedBoard(BoardClock& clock = sharedSteadyClock());
    ~SimulatedBoard();
    SimulatedBoard(const SimulatedBoard&) = delete;
    SimulatedBoard& operator=(const SimulatedBoard&) = delete;

    // Binds this instance to the simulated function table and returns the table. The table is
    // plain C function pointers shared by every instance, so it reaches the instance bound last;
    // destroying that instance unbinds it, after which the table answers NotBound.
    DacFunctions functions();
    bool isBound() const { return bound_.load() == this; }
    // The instance the function table reaches, or null.
    static SimulatedBoard* boundInstance() { return bound_.load(); }

    // The five operations, as the function table calls them.
    std::uint32_t reloadDeviceLinks();
    std::uint32_t setBoardRange(std::uint32_t device, std::uint32_t rangeCode);
    std::uint32_t vendorWrite(std::uint32_t device, std::uint8_t request, std::uint16_t value,
                              std::uint16_t index, std::uint32_t dataLength, const void* data);
    std::uint32_t outputSetCount(std::uint32_t device, std::uint32_t channelCount);
    std::uint32_t outputProcess(std::uint32_t device, double* rateHz, std::uint32_t sampleCount,
                                const std::uint16_t* samples);

    SimulatedBoardFigures figures() const;
    // Zeroes the counters (scans, blocks, underruns, rejected calls); settings stay.
    void resetCounters();
    // The latest samples of one channel as received, oldest first: the last kHistorySeconds at
    // the rate in force, at most kHistoryCap. Restarts when the channel count changes.
    std::vector<std::uint16_t> history(std::uint32_t channel) const;
    std::size_t historyCapacity() const { return historyCapacity_; }
    // Called with every accepted block, on the caller's thread. It must neither call the board
    // nor throw: it runs inside a C function of the table.
    void setBlockObserver(BlockObserver observer) { observer_ = std::move(observer); }

    // The achievable rate nearest `requestedHz` (which must be within the limits).
    static double nearestRate(double requestedHz);
    static BoardClock& sharedSteadyClock();

  private:
    struct Drain {
        std::uint32_t fill;
        BoardClock::time_point front; // when the scan now at the front started playing
        std::uint32_t played;
    };
    Drain drainUntil(BoardClock::time_point t) const;
    void catchUp(BoardClock::time_point t);
    BoardClock::duration period() const { return std::chrono::nanoseconds(divisor_ * 100); }
    void setDivisor(std::uint32_t divisor);
    void setChannelCount(std::uint32_t channels);
    std::uint32_t reject(SimulatedBoardResult result);

    BoardClock& clock_;
    std::uint32_t rangeCode_ = SimulatedBoardLimits::kDefaultRangeCode;
    std::uint32_t channels_ = SimulatedBoardLimits::kDefaultChannels;
    std::uint32_t depth_ = SimulatedBoardLimits::kDefaultDepthScans;
    std::uint32_t divisor_; // of the 10 MHz clock; one period is divisor × 100 ns

    // The buffer: `fill_` scans, the front one started playing at `front_`.
    std::uint32_t fill_ = 0;
    BoardClock::time_point front_{};
    BoardClock::time_point dryAt_{}; // when the buffer last ran empty (valid while fill_ == 0)
    bool streaming_ = false;         // a block came since the last ReloadDeviceLinks

    SimulatedBoardFigures counters_;
    std::vector<std::deque<std::uint16_t>> history_;
    std::size_t historyCapacity_ = 0;
    BlockObserver observer_;

    static std::atomic<SimulatedBoard*> bound_;
};

} // namespace arb
