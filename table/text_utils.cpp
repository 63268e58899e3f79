#include "text_utils.h"

#include "huge_pages.h"
#include "line_cut.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace arb {

namespace {

[[noreturn]] void Fail(FileReadFailure failure, const std::string& path, const std::string& why) {
    throw FileReadError(failure, path, why);
}

[[noreturn]] void FailWithErrno(const std::string& path, int error, const char* what) {
    if (error == ENOENT || error == ENOTDIR)
        Fail(FileReadFailure::Missing, path, "the file does not exist.");
    Fail(FileReadFailure::Unreadable, path,
         std::string("the file cannot be ") + what + " (" + std::strerror(error) + ").");
}

// Refuses what must not be read: anything but a regular file, and files of 2 GiB or more.
void CheckReadable(const std::string& path, const struct stat& info) {
    if (S_ISDIR(info.st_mode))
        Fail(FileReadFailure::NotAFile, path, "it is a folder, not a file.");
    if (!S_ISREG(info.st_mode))
        Fail(FileReadFailure::NotAFile, path, "it is not a regular file.");
    if (static_cast<std::uint64_t>(info.st_size) >= kMaxReadFileBytes)
        Fail(FileReadFailure::TooLarge, path,
             "the file is " + std::to_string(info.st_size) +
                 " bytes long; files of 2 GiB or more cannot be loaded.");
}

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() { ::close(fd_); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};

} // namespace

std::string ReadFileToString(const std::string& fileName) {
    // Checking before opening keeps a FIFO or a device from being opened at all.
    struct stat info {};
    if (::stat(fileName.c_str(), &info) != 0)
        FailWithErrno(fileName, errno, "examined");
    CheckReadable(fileName, info);

    // O_NONBLOCK: should the path have turned into a FIFO meanwhile, opening it does not hang.
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        FailWithErrno(fileName, errno, "opened");
    const FileDescriptor file(fd);
    if (::fstat(fd, &info) != 0)
        FailWithErrno(fileName, errno, "examined");
    CheckReadable(fileName, info);

    std::string bytes;
    try {
        const auto size = static_cast<std::size_t>(info.st_size);
        bytes.reserve(size);
        AdviseHugePages(bytes.data(), size);
        bytes.resize(size);
    } catch (const std::length_error&) {
        throw std::bad_alloc();
    }
    // Up to the size found at opening, or to the end of the file if it shrank meanwhile.
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            FailWithErrno(fileName, errno, "read");
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    return bytes;
}

std::size_t FindCharFrom(char ch, std::string_view s, std::size_t start) {
    if (start == 0 || s.size() < start)
        return 0;
    const std::size_t at = s.find(ch, start - 1);
    return at == std::string_view::npos ? 0 : at + 1;
}

std::string ReplaceChar(std::string_view s, char oldCh, char newCh) {
    std::string result(s);
    std::replace(result.begin(), result.end(), oldCh, newCh);
    return result;
}

std::optional<std::vector<std::string>> SplitString(std::string_view s, char delim) {
    try {
        std::vector<std::string> fields;
        fields.reserve(static_cast<std::size_t>(std::count(s.begin(), s.end(), delim)) + 1);
        std::size_t from = 0;
        for (std::size_t at; (at = s.find(delim, from)) != std::string_view::npos; from = at + 1)
            fields.emplace_back(s.substr(from, at - from));
        fields.emplace_back(s.substr(from));
        return fields;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

void SplitLines(std::string_view text, std::vector<std::string>& lines) {
    lines.clear();
    for (LineWalker walker(TextBeforeZeroByte(text)); !walker.done();)
        lines.emplace_back(walker.next());
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::size_t size = 0;
    for (const std::string& line : lines)
        size += line.size() + 2;
    std::string joined;
    joined.reserve(size);
    for (const std::string& line : lines) {
        joined += line;
        joined += "\r\n";
    }
    return joined;
}

} // namespace arb
