#pragma once

// Helpers for making hostile files: a private temp folder, and file access checked as an
// unprivileged user so that permissions bite even when the tests run as root.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <sys/fsuid.h>
#include <unistd.h>

namespace arb::test {

// A fresh folder under the system's temp folder, removed with everything in it at the end.
class HostileDir {
  public:
    HostileDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "arb-hostile-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("cannot create a temp folder");
        path_ = pattern;
    }
    ~HostileDir() {
        std::error_code ignored;
        std::filesystem::permissions(path_ / "locked", std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    HostileDir(const HostileDir&) = delete;
    HostileDir& operator=(const HostileDir&) = delete;

    std::string path(std::string_view name) const { return (path_ / name).string(); }

    std::string write(std::string_view name, std::string_view bytes) const {
        const std::string file = path(name);
        std::ofstream out(file, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out)
            throw std::runtime_error("cannot write " + file);
        return file;
    }

  private:
    std::filesystem::path path_;
};

// While it lives, this thread's file access is checked as user "nobody" when the tests run as
// root (setfsuid acts on the calling thread only), so that permissions bite as for a user.
class AccessAsNobody {
  public:
    AccessAsNobody() {
        if (::geteuid() == 0)
            previous_ = ::setfsuid(kNobody);
    }
    ~AccessAsNobody() {
        if (::geteuid() == 0)
            ::setfsuid(static_cast<uid_t>(previous_));
    }
    AccessAsNobody(const AccessAsNobody&) = delete;
    AccessAsNobody& operator=(const AccessAsNobody&) = delete;

    // Whether permissions now apply: not root, or root acting as nobody.
    bool active() const {
        return ::geteuid() != 0 ||
               static_cast<uid_t>(::setfsuid(static_cast<uid_t>(-1))) == kNobody;
    }

  private:
    static constexpr uid_t kNobody = 65534;
    int previous_ = 0;
};

} // namespace arb::test
