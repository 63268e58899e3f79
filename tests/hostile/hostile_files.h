#pragma once

// A private temp folder for hostile files. Its "locked" sub-folder may be left without any
// permission by a test, so it is opened up again before the folder is removed.

#include "tests/support/temp_dir.h"
#include "tests/support/unprivileged_file_access.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace arb::test {

class HostileDir {
  public:
    HostileDir() = default;
    ~HostileDir() {
        std::error_code ignored;
        std::filesystem::permissions(dir_.path("locked"), std::filesystem::perms::owner_all,
                                     ignored);
    }
    HostileDir(const HostileDir&) = delete;
    HostileDir& operator=(const HostileDir&) = delete;

    std::string path(std::string_view name) const { return dir_.path(name); }
    std::string write(std::string_view name, std::string_view bytes) const {
        return dir_.write(name, bytes);
    }

  private:
    TempDir dir_;
};

} // namespace arb::test
