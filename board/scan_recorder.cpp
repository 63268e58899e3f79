#include "board/scan_recorder.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>

namespace arb {

namespace {

std::string describeErrno(int error) {
    return error != 0 ? std::strerror(error) : "unknown error";
}

// Seconds with 7 decimals, rounded to the nearest 100 ns; `out` has room for 32 characters.
char* writeSeconds(char* out, std::uint64_t nanoseconds) {
    const std::uint64_t ticks = (nanoseconds + 50) / 100; // of 100 ns
    char* end = std::to_chars(out, out + 20, ticks / 10'000'000).ptr;
    *end++ = '.';
    const std::uint64_t fraction = ticks % 10'000'000;
    for (std::uint64_t unit = 1'000'000; unit > 0; unit /= 10)
        *end++ = static_cast<char>('0' + fraction / unit % 10);
    return end;
}

} // namespace

ScanRecorder::ScanRecorder(const std::string& path, std::uint32_t channelCountNow)
    : path_(path), channels_(channelCountNow) {
    pending_.reserve(2 * kWriteChunk);
    errno = 0;
    file_ = std::fopen(path.c_str(), "wb");
    if (file_ == nullptr) {
        failWithErrno("Could not create", errno);
        return;
    }
    // Our own buffer collects the lines, so each write reaches the system at once and its error
    // shows where it happened.
    std::setvbuf(file_, nullptr, _IONBF, 0);
}

ScanRecorder::~ScanRecorder() {
    if (file_ != nullptr)
        std::fclose(file_);
}

void ScanRecorder::fail(const std::string& what) noexcept {
    if (!error_.empty())
        return;
    try {
        error_ = what;
    } catch (...) {
        error_.assign(1, '?'); // fits the small-string room: never allocates
    }
    pending_.clear();
}

void ScanRecorder::failWithErrno(const char* what, int error) noexcept {
    try {
        fail(std::string(what) + " \"" + path_ + "\": " + describeErrno(error) + ".");
    } catch (...) {
        fail("Write error"); // short enough not to allocate
    }
}

void ScanRecorder::writeHeader(std::uint32_t channels) {
    channels_ = channels;
    pending_ += "time_s";
    for (std::uint32_t ch = 1; ch <= channels; ++ch) {
        pending_ += ",ch";
        pending_ += std::to_string(ch);
    }
    pending_ += '\n';
    headerDone_ = true;
}

std::string ScanRecorder::formatSeconds(std::uint64_t nanoseconds) {
    char text[32];
    return {text, writeSeconds(text, nanoseconds)};
}

void ScanRecorder::record(const ReceivedBlock& block) noexcept {
    if (failed() || block.channelCount == 0 || !(block.rateHz > 0))
        return;
    try {
        if (!headerDone_) {
            writeHeader(block.channelCount);
        } else if (block.channelCount != channels_) {
            flush(); // keep every line so far
            fail("The channel count changed from " + std::to_string(channels_) + " to " +
                 std::to_string(block.channelCount) +
                 "; the recording stopped there so that every line has the same columns.");
            return;
        }
        if (block.rateHz != stretchRateHz_) {
            if (stretchScans_ > 0)
                stretchStartNs_ +=
                    static_cast<std::uint64_t>(std::llround(stretchScans_ * 1e9L / stretchRateHz_));
            stretchRateHz_ = block.rateHz;
            stretchScans_ = 0;
        }
        const std::size_t scans = block.codes.size() / block.channelCount;
        const std::uint16_t* code = block.codes.data();
        for (std::size_t k = 0; k < scans; ++k, ++stretchScans_, ++scans_) {
            char text[32];
            pending_.append(
                text,
                writeSeconds(text, stretchStartNs_ + static_cast<std::uint64_t>(std::llround(
                                                         stretchScans_ * 1e9L / stretchRateHz_))));
            for (std::uint32_t ch = 0; ch < block.channelCount; ++ch, ++code) {
                text[0] = ',';
                char* end = std::to_chars(text + 1, text + sizeof text, *code).ptr;
                pending_.append(text, end);
            }
            pending_ += '\n';
        }
    } catch (...) {
        fail("Out of memory while recording.");
        return;
    }
    if (pending_.size() >= kWriteChunk)
        flush();
}

void ScanRecorder::flush() noexcept {
    if (file_ == nullptr || failed() || pending_.empty())
        return;
    errno = 0;
    const std::size_t written = std::fwrite(pending_.data(), 1, pending_.size(), file_);
    if (written != pending_.size()) {
        failWithErrno("Could not write", errno);
        return;
    }
    pending_.clear();
}

bool ScanRecorder::finish() noexcept {
    if (file_ == nullptr)
        return !failed();
    if (!headerDone_ && !failed()) {
        try {
            writeHeader(channels_);
        } catch (...) {
            fail("Out of memory while recording.");
        }
    }
    flush();
    errno = 0;
    if (std::fclose(file_) != 0)
        failWithErrno("Could not close", errno);
    file_ = nullptr;
    return !failed();
}

} // namespace arb
