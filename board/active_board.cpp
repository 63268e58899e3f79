#include "board/active_board.h"

namespace arb {

ActiveBoard::ActiveBoard(const std::string& libraryNameOrPath) : vendor_(libraryNameOrPath) {
    if (vendor_.status() == VendorLibrary::Status::Bound) {
        functions_ = vendor_.functions();
        return;
    }
    if (!vendor_.message().empty())
        warning_ = vendor_.message() + " Using the simulated board instead.";
    simulated_ = std::make_unique<SimulatedBoard>();
    functions_ = simulated_->functions();
}

} // namespace arb
