#pragma once

// The board the program drives: the vendor library when it can be bound, else the simulated
// board on the real clock. The program constructs one at start and keeps it for its lifetime.

#include "board/dac_functions.h"
#include "board/simulated_board.h"
#include "board/vendor_library.h"

#include <memory>
#include <string>

namespace arb {

class ActiveBoard {
  public:
    explicit ActiveBoard(const std::string& libraryNameOrPath = VendorLibrary::DefaultName());
    ActiveBoard(const ActiveBoard&) = delete;
    ActiveBoard& operator=(const ActiveBoard&) = delete;

    const DacFunctions& functions() const { return functions_; }
    // The simulated board in use, or null when the vendor library is.
    SimulatedBoard* simulated() const { return simulated_.get(); }
    // Why the simulated board is used although a vendor library is present; empty when the
    // library was bound or is simply absent.
    const std::string& warning() const { return warning_; }

  private:
    VendorLibrary vendor_;
    std::unique_ptr<SimulatedBoard> simulated_;
    DacFunctions functions_;
    std::string warning_;
};

} // namespace arb
