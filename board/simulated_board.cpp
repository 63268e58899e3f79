#include "board/simulated_board.h"

#include <algorithm>
#include <cmath>

namespace arb {

namespace {

using Limits = SimulatedBoardLimits;

constexpr auto kMinDivisor = static_cast<std::uint32_t>(Limits::kClockHz / Limits::kMaxRateHz);
constexpr auto kMaxDivisor = static_cast<std::uint32_t>(Limits::kClockHz / Limits::kMinRateHz);

bool rateSupported(double hz) {
    return std::isfinite(hz) && hz >= Limits::kMinRateHz && hz <= Limits::kMaxRateHz;
}

// The divisor whose rate lies nearest `hz`; of two equally near, the faster.
std::uint32_t divisorFor(double hz) {
    const double exact = Limits::kClockHz / hz;
    const auto below =
        std::clamp(static_cast<std::uint32_t>(std::floor(exact)), kMinDivisor, kMaxDivisor);
    const auto above = std::min(below + 1, kMaxDivisor);
    const double errBelow = std::abs(Limits::kClockHz / below - hz);
    const double errAbove = std::abs(Limits::kClockHz / above - hz);
    return errAbove < errBelow ? above : below;
}

std::uint32_t code(SimulatedBoardResult result) {
    return static_cast<std::uint32_t>(result);
}

} // namespace

std::atomic<SimulatedBoard*> SimulatedBoard::bound_{nullptr};

} // namespace arb

// The function table's entries: C functions that forward to the bound instance.
extern "C" {
static std::uint32_t ARB_CDECL simReloadDeviceLinks(void) {
    auto* board = arb::SimulatedBoard::boundInstance();
    return board ? board->reloadDeviceLinks() : arb::code(arb::SimulatedBoardResult::NotBound);
}
static std::uint32_t ARB_CDECL simSetBoardRange(std::uint32_t device, std::uint32_t rangeCode) {
    auto* board = arb::SimulatedBoard::boundInstance();
    return board ? board->setBoardRange(device, rangeCode)
                 : arb::code(arb::SimulatedBoardResult::NotBound);
}
static std::uint32_t ARB_CDECL simVendorWrite(std::uint32_t device, std::uint8_t request,
                                              std::uint16_t value, std::uint16_t index,
                                              std::uint32_t dataLength, void* data) {
    auto* board = arb::SimulatedBoard::boundInstance();
    return board ? board->vendorWrite(device, request, value, index, dataLength, data)
                 : arb::code(arb::SimulatedBoardResult::NotBound);
}
static std::uint32_t ARB_CDECL simOutputSetCount(std::uint32_t device, std::uint32_t channelCount) {
    auto* board = arb::SimulatedBoard::boundInstance();
    return board ? board->outputSetCount(device, channelCount)
                 : arb::code(arb::SimulatedBoardResult::NotBound);
}
static std::uint32_t ARB_CDECL simOutputProcess(std::uint32_t device, double* rateHz,
                                                std::uint32_t sampleCount,
                                                const std::uint16_t* samples) {
    auto* board = arb::SimulatedBoard::boundInstance();
    return board ? board->outputProcess(device, rateHz, sampleCount, samples)
                 : arb::code(arb::SimulatedBoardResult::NotBound);
}
}

namespace arb {

SimulatedBoard::SimulatedBoard(BoardClock& clock) : clock_(clock), divisor_(0) {
    setDivisor(divisorFor(Limits::kDefaultRateHz));
    history_.resize(channels_);
}

SimulatedBoard::~SimulatedBoard() {
    SimulatedBoard* self = this;
    bound_.compare_exchange_strong(self, nullptr);
}

BoardClock& SimulatedBoard::sharedSteadyClock() {
    static SteadyBoardClock clock; // stateless, so one serves every board
    return clock;
}

DacFunctions SimulatedBoard::functions() {
    bound_.store(this);
    return {simReloadDeviceLinks, simSetBoardRange, simVendorWrite, simOutputSetCount,
            simOutputProcess};
}

double SimulatedBoard::nearestRate(double requestedHz) {
    return Limits::kClockHz / divisorFor(requestedHz);
}

std::uint32_t SimulatedBoard::reject(SimulatedBoardResult result) {
    ++counters_.rejectedCalls;
    return code(result);
}

// There is one device, so re-linking only marks that the next block starts a new stream.
std::uint32_t SimulatedBoard::reloadDeviceLinks() {
    streaming_ = false;
    return 0;
}

std::uint32_t SimulatedBoard::setBoardRange(std::uint32_t device, std::uint32_t rangeCode) {
    if (device != 0)
        return reject(SimulatedBoardResult::BadDevice);
    if (rangeCode > 3)
        return reject(SimulatedBoardResult::BadRange);
    rangeCode_ = rangeCode;
    return 0;
}

// Request 0xC7 carries no data. Index 0: value N × 256 + 1 sets N channels. Index 1: value 1
// selects a ring of one scan; any other value v a buffer of v + 1 scans (19 → 20, 255 → 256).
std::uint32_t SimulatedBoard::vendorWrite(std::uint32_t device, std::uint8_t request,
                                          std::uint16_t value, std::uint16_t index,
                                          std::uint32_t dataLength, const void* data) {
    if (device != 0)
        return reject(SimulatedBoardResult::BadDevice);
    if (dataLength != 0 && data == nullptr)
        return reject(SimulatedBoardResult::NullAddress);
    if (request != kConfigRequest || dataLength != 0)
        return reject(SimulatedBoardResult::BadRequest);
    if (index == kChannelCountIndex) {
        if ((value & 0xFF) != 1)
            return reject(SimulatedBoardResult::BadRequest);
        const std::uint32_t channels = value >> 8;
        if (channels == 0 || channels > Limits::kMaxChannels)
            return reject(SimulatedBoardResult::BadChannelCount);
        setChannelCount(channels);
        return 0;
    }
    if (index == kBufferDepthIndex) {
        depth_ = value == 1 ? 1u : value + 1u;
        return 0;
    }
    return reject(SimulatedBoardResult::BadRequest);
}

std::uint32_t SimulatedBoard::outputSetCount(std::uint32_t device, std::uint32_t channelCount) {
    if (device != 0)
        return reject(SimulatedBoardResult::BadDevice);
    if (channelCount == 0 || channelCount > Limits::kMaxChannels)
        return reject(SimulatedBoardResult::BadChannelCount);
    setChannelCount(channelCount);
    return 0;
}

std::uint32_t SimulatedBoard::outputProcess(std::uint32_t device, double* rateHz,
                                            std::uint32_t sampleCount,
                                            const std::uint16_t* samples) {
    if (device != 0)
        return reject(SimulatedBoardResult::BadDevice);
    if (rateHz == nullptr || samples == nullptr)
        return reject(SimulatedBoardResult::NullAddress);
    if (!rateSupported(*rateHz))
        return reject(SimulatedBoardResult::BadRate);
    if (sampleCount == 0 || sampleCount % channels_ != 0 ||
        sampleCount / channels_ > Limits::kMaxScansPerBlock)
        return reject(SimulatedBoardResult::BadSampleCount);
    const std::uint32_t scans = sampleCount / channels_;

    const auto arrival = clock_.now();
    catchUp(arrival); // at the rate in force until now
    if (streaming_ && fill_ == 0 && dryAt_ < arrival)
        ++counters_.underruns;
    setDivisor(divisorFor(*rateHz));

    if (fill_ == 0)
        front_ = arrival;
    const auto playsAt = front_ + period() * fill_;
    fill_ += scans;
    // The block's scans enter as room appears; the call returns when the last one is in.
    while (fill_ > depth_) {
        clock_.sleepUntil(front_ + period() * (fill_ - depth_));
        catchUp(clock_.now());
    }
    const bool startsStream = !streaming_;
    streaming_ = true;
    ++counters_.blocksReceived;
    counters_.scansSent += scans;
    *rateHz = Limits::kClockHz / divisor_;

    for (std::uint32_t i = 0; i < sampleCount; ++i) {
        auto& ring = history_[i % channels_];
        ring.push_back(samples[i]);
        if (ring.size() > historyCapacity_)
            ring.pop_front();
    }
    if (observer_)
        observer_({std::span(samples, sampleCount), channels_, *rateHz, clock_.now(), playsAt,
                   rangeCode_, startsStream});
    return 0;
}

SimulatedBoard::Drain SimulatedBoard::drainUntil(BoardClock::time_point t) const {
    if (fill_ == 0 || t <= front_)
        return {fill_, front_, 0};
    const auto finished = static_cast<std::uint64_t>((t - front_) / period());
    const auto played = static_cast<std::uint32_t>(std::min<std::uint64_t>(finished, fill_));
    return {fill_ - played, front_ + period() * played, played};
}

void SimulatedBoard::catchUp(BoardClock::time_point t) {
    const Drain d = drainUntil(t);
    if (d.played == 0)
        return;
    fill_ = d.fill;
    front_ = d.front;
    counters_.scansPlayed += d.played;
    if (fill_ == 0)
        dryAt_ = front_; // the end of the last scan
}

void SimulatedBoard::setDivisor(std::uint32_t divisor) {
    if (divisor == divisor_)
        return;
    divisor_ = divisor;
    const double seconds = Limits::kHistorySeconds * Limits::kClockHz / divisor_;
    historyCapacity_ = std::clamp<std::size_t>(static_cast<std::size_t>(std::ceil(seconds)), 1,
                                               Limits::kHistoryCap);
    for (auto& ring : history_)
        while (ring.size() > historyCapacity_)
            ring.pop_front();
}

// Samples queued for the old channel layout play out as they are; the history restarts because
// its channels no longer line up.
void SimulatedBoard::setChannelCount(std::uint32_t channels) {
    if (channels == channels_)
        return;
    channels_ = channels;
    history_.assign(channels_, {});
}

SimulatedBoardFigures SimulatedBoard::figures() const {
    SimulatedBoardFigures f = counters_;
    const Drain d = drainUntil(clock_.now());
    f.scansPlayed += d.played;
    f.fillScans = d.fill;
    f.depthScans = depth_;
    f.rateHz = Limits::kClockHz / divisor_;
    f.rangeCode = rangeCode_;
    f.channelCount = channels_;
    return f;
}

void SimulatedBoard::resetCounters() {
    catchUp(clock_.now());
    counters_ = {};
}

std::vector<std::uint16_t> SimulatedBoard::history(std::uint32_t channel) const {
    if (channel >= history_.size())
        return {};
    return {history_[channel].begin(), history_[channel].end()};
}

} // namespace arb
