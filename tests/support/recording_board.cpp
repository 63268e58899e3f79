#include "recording_board.h"

#include <cstdio>
#include <cstdlib>

namespace arb::test {

namespace {

RecordingBoard* activeBoard = nullptr;

[[noreturn]] void Fail(const char* message) {
    std::fprintf(stderr, "RecordingBoard: %s\n", message);
    std::abort();
}

RecordingBoard& Active() {
    if (activeBoard == nullptr)
        Fail("a board function was called while no recorder is active");
    return *activeBoard;
}

std::string FormatRate(double rate) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", rate);
    return text;
}

std::string JournalLine(const BoardCall& call) {
    const std::string device = std::to_string(call.deviceIndex);
    switch (call.op) {
    case BoardOp::ReloadDeviceLinks:
        return "VELDRA_ReloadDeviceLinks()";
    case BoardOp::SetBoardRange:
        return "DACSetBoardRange(" + device + ", " + std::to_string(call.rangeCode) + ")";
    case BoardOp::VendorWrite:
        return "GenericVendorWrite(" + device + ", " + std::to_string(call.request) + ", " +
               std::to_string(call.value) + ", " + std::to_string(call.index) + ", " +
               std::to_string(call.dataLength) + (call.dataIsNull ? ", null)" : ", data)");
    case BoardOp::OutputSetCount:
        return "DACOutputSetCount(" + device + ", " + std::to_string(call.channelCount) + ")";
    case BoardOp::OutputProcess:
        return "DACOutputProcess(" + device + ", " + FormatRate(call.rateSeen) + ", " +
               std::to_string(call.sampleCount) + ")";
    }
    return "?";
}

} // namespace

struct Trampolines {
    static std::uint32_t ARB_CDECL Reload() {
        return Active().record({.op = BoardOp::ReloadDeviceLinks}, nullptr);
    }
    static std::uint32_t ARB_CDECL SetBoardRange(std::uint32_t device, std::uint32_t range) {
        return Active().record(
            {.op = BoardOp::SetBoardRange, .deviceIndex = device, .rangeCode = range}, nullptr);
    }
    static std::uint32_t ARB_CDECL VendorWrite(std::uint32_t device, std::uint8_t request,
                                               std::uint16_t value, std::uint16_t index,
                                               std::uint32_t dataLength, void* data) {
        return Active().record({.op = BoardOp::VendorWrite,
                                .deviceIndex = device,
                                .request = request,
                                .value = value,
                                .index = index,
                                .dataLength = dataLength,
                                .dataIsNull = data == nullptr},
                               nullptr);
    }
    static std::uint32_t ARB_CDECL OutputSetCount(std::uint32_t device, std::uint32_t count) {
        return Active().record(
            {.op = BoardOp::OutputSetCount, .deviceIndex = device, .channelCount = count}, nullptr);
    }
    static std::uint32_t ARB_CDECL OutputProcess(std::uint32_t device, double* rate,
                                                 std::uint32_t sampleCount,
                                                 const std::uint16_t* samples) {
        BoardCall call{.op = BoardOp::OutputProcess,
                       .deviceIndex = device,
                       .rateAddress = rate,
                       .rateSeen = rate != nullptr ? *rate : 0.0,
                       .sampleCount = sampleCount,
                       .samplesAddress = reinterpret_cast<std::uintptr_t>(samples)};
        // Reading every sample lets the address sanitizer catch a block reaching past the buffer.
        if (sampleCount != 0)
            call.samples.assign(samples, samples + sampleCount);
        return Active().record(std::move(call), rate);
    }
};

std::string_view OpName(BoardOp op) {
    switch (op) {
    case BoardOp::ReloadDeviceLinks:
        return "VELDRA_ReloadDeviceLinks";
    case BoardOp::SetBoardRange:
        return "DACSetBoardRange";
    case BoardOp::VendorWrite:
        return "GenericVendorWrite";
    case BoardOp::OutputSetCount:
        return "DACOutputSetCount";
    case BoardOp::OutputProcess:
        return "DACOutputProcess";
    }
    return "?";
}

RecordingBoard::Activation::Activation(RecordingBoard& board) {
    if (activeBoard != nullptr)
        Fail("another recorder is already active");
    activeBoard = &board;
}

RecordingBoard::Activation::~Activation() {
    activeBoard = nullptr;
}

RecordingBoard::~RecordingBoard() {
    if (activeBoard == this)
        Fail("destroyed while still active");
}

const DacFunctions& RecordingBoard::functions() {
    static const DacFunctions table{
        .reloadDeviceLinks = &Trampolines::Reload,
        .setBoardRange = &Trampolines::SetBoardRange,
        .vendorWrite = &Trampolines::VendorWrite,
        .outputSetCount = &Trampolines::OutputSetCount,
        .outputProcess = &Trampolines::OutputProcess,
    };
    return table;
}

std::size_t RecordingBoard::count(BoardOp op) const {
    const auto found = counts_.find(op);
    return found == counts_.end() ? 0 : found->second;
}

std::vector<const BoardCall*> RecordingBoard::callsOf(BoardOp op) const {
    std::vector<const BoardCall*> matching;
    for (const BoardCall& call : calls_) {
        if (call.op == op)
            matching.push_back(&call);
    }
    return matching;
}

std::uint32_t RecordingBoard::record(BoardCall call, double* rate) {
    call.opNumber = ++counts_[call.op];
    const auto scripted = callResults_.find({call.op, call.opNumber});
    if (scripted != callResults_.end()) {
        call.result = scripted->second;
    } else {
        const auto fallback = defaultResults_.find(call.op);
        call.result = fallback == defaultResults_.end() ? 0 : fallback->second;
    }
    if (journal_ != nullptr)
        journal_->push_back(JournalLine(call));
    const CallEvent event{call.op, calls_.size(), call.opNumber, rate};
    const std::uint32_t result = call.result;
    calls_.push_back(std::move(call));
    if (hook_) {
        const auto hook = hook_; // the hook may replace itself
        hook(event);
    }
    return result;
}

} // namespace arb::test
