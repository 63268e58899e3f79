#pragma once

#include "dac_functions.h"

#include <string>

namespace arb {

// The board vendor's driver library, bound at start by the platform's normal library search.
// Never throws: a library that is absent, cannot be loaded or lacks an export leaves a status
// (and, unless absent, a message) for the caller to choose another board.
class VendorLibrary {
  public:
    enum class Status {
        Bound,        // all five exports resolved
        NotFound,     // no library of that name or path exists
        LoadFailed,   // a file exists but the loader refused it (not a library, a missing
                      // dependency, the wrong architecture...)
        SymbolMissing // loaded, but one or more of the five exports is missing
    };

    // Opens `nameOrPath` (by default the platform's library name) and resolves the five exports.
    explicit VendorLibrary(const std::string& nameOrPath = DefaultName());
    ~VendorLibrary();
    VendorLibrary(const VendorLibrary&) = delete;
    VendorLibrary& operator=(const VendorLibrary&) = delete;

    Status status() const { return status_; }
    // For LoadFailed and SymbolMissing: one sentence naming the library and what is wrong or
    // missing. Empty otherwise.
    const std::string& message() const { return message_; }
    // Valid only when status() is Bound.
    const DacFunctions& functions() const { return functions_; }

    static std::string DefaultName(); // "libveldra.so" on Linux, "VELDRA.dll" on Windows

  private:
    void* handle_ = nullptr;
    Status status_ = Status::NotFound;
    std::string message_;
    DacFunctions functions_;
};

} // namespace arb
