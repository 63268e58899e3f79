#pragma once

#include "dac_functions.h"

#include <string>

namespace arb {

// The board vendor's driver library, bound at start by the platform's normal library search.
class VendorLibrary {
  public:
    enum class Status { Bound, NotFound, LoadFailed, SymbolMissing };

    // Opens `nameOrPath` (by default the platform's library name) and resolves the five exports.
    explicit VendorLibrary(const std::string& nameOrPath = DefaultName());
    ~VendorLibrary();
    VendorLibrary(const VendorLibrary&) = delete;
    VendorLibrary& operator=(const VendorLibrary&) = delete;

    Status status() const { return status_; }
    // For a failure other than NotFound: one sentence naming the library and what is missing.
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
