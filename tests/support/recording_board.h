#pragma once

#include "board/dac_functions.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace arb::test {

enum class BoardOp { ReloadDeviceLinks, SetBoardRange, VendorWrite, OutputSetCount, OutputProcess };

std::string_view OpName(BoardOp op); // the library's export name

// One call the board received, with its arguments. Only the members of its operation are set.
struct BoardCall {
    BoardOp op = BoardOp::ReloadDeviceLinks;
    std::size_t opNumber = 0; // 1 for the first call of this operation, 2 for the second, ...
    std::uint32_t result = 0; // what the board answered
    std::uint32_t deviceIndex = 0;

    std::uint32_t rangeCode = 0; // DACSetBoardRange

    std::uint8_t request = 0; // GenericVendorWrite
    std::uint16_t value = 0;
    std::uint16_t index = 0;
    std::uint32_t dataLength = 0;
    bool dataIsNull = true;

    std::uint32_t channelCount = 0; // DACOutputSetCount

    const double* rateAddress = nullptr; // DACOutputProcess
    double rateSeen = 0;                 // the rate when the call came in
    std::uint32_t sampleCount = 0;
    std::uintptr_t samplesAddress = 0;    // kept as a number: the buffer is gone after the run
    std::vector<std::uint16_t> samples{}; // a copy of every sample sent
};

// What a hook learns of the call that was just recorded. `rate` is the address passed to
// DACOutputProcess (null for the other operations), so a hook can write a rate back.
struct CallEvent {
    BoardOp op;
    std::size_t callIndex; // into calls()
    std::size_t opNumber;
    double* rate;
};

// A board that records every call. Its function table holds C trampolines, which can only reach
// one recorder: the one activated by a live Activation. A call with no active recorder, or an
// activation while another is active, stops the test program with a message.
class RecordingBoard {
  public:
    class [[nodiscard]] Activation {
      public:
        explicit Activation(RecordingBoard& board);
        ~Activation();
        Activation(const Activation&) = delete;
        Activation& operator=(const Activation&) = delete;
    };

    RecordingBoard() = default;
    ~RecordingBoard();
    RecordingBoard(const RecordingBoard&) = delete;
    RecordingBoard& operator=(const RecordingBoard&) = delete;

    static const DacFunctions& functions();

    // Scripted results: 0 unless set. A result for a numbered call wins over the default.
    void setResult(BoardOp op, std::uint32_t result) { defaultResults_[op] = result; }
    void setResultOnCall(BoardOp op, std::size_t opNumber, std::uint32_t result) {
        callResults_[{op, opNumber}] = result;
    }
    // Runs after each call is recorded, before the call returns. The hook may call the board
    // again (a nested run); it must then read calls() afresh.
    void setHook(std::function<void(const CallEvent&)> hook) { hook_ = std::move(hook); }
    // Appends one line per call, for checking the order of board and host calls together.
    void setJournal(std::vector<std::string>* journal) { journal_ = journal; }

    const std::vector<BoardCall>& calls() const { return calls_; }
    std::size_t count(BoardOp op) const;
    std::vector<const BoardCall*> callsOf(BoardOp op) const;

  private:
    friend struct Trampolines;
    std::uint32_t record(BoardCall call, double* rate);

    std::vector<BoardCall> calls_;
    std::map<BoardOp, std::uint32_t> defaultResults_;
    std::map<std::pair<BoardOp, std::size_t>, std::uint32_t> callResults_;
    std::map<BoardOp, std::size_t> counts_;
    std::function<void(const CallEvent&)> hook_;
    std::vector<std::string>* journal_ = nullptr;
};

} // namespace arb::test
