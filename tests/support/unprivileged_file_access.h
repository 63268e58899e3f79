#pragma once

#include <sys/fsuid.h>
#include <sys/types.h>
#include <unistd.h>

namespace arb::test {

// While it lives, this thread's file access is checked as user "nobody" when the tests run as
// root (setfsuid acts on the calling thread only), so that a file or folder of mode 000 is out of
// reach as it would be for a user.
class UnprivilegedFileAccess {
  public:
    UnprivilegedFileAccess() {
        if (::geteuid() != 0)
            return;
        previous_ = ::setfsuid(kNobody);
        active_ = static_cast<uid_t>(::setfsuid(static_cast<uid_t>(-1))) == kNobody;
    }
    ~UnprivilegedFileAccess() {
        if (::geteuid() == 0)
            ::setfsuid(static_cast<uid_t>(previous_));
    }
    UnprivilegedFileAccess(const UnprivilegedFileAccess&) = delete;
    UnprivilegedFileAccess& operator=(const UnprivilegedFileAccess&) = delete;

    // Whether permissions now apply: not root, or root acting as nobody.
    bool effective() const { return ::geteuid() != 0 || active_; }

  private:
    static constexpr uid_t kNobody = 65534;
    int previous_ = 0;
    bool active_ = false;
};

} // namespace arb::test
