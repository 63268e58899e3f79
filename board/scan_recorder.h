#pragma once

// Writes every scan the board receives to a text file that a spreadsheet or a script reads:
//
//     time_s,ch1,ch2
//     0.0000000,0,65535
//     0.0010000,32768,32767
//
// One line a scan: its time in seconds from the recording's first scan, then its code for each
// channel in decimal. Scan k of a stretch at one rate plays at the stretch's start + k / rate;
// when the rate changes the times go on from where the last stretch ended. Times are worked out
// in whole nanoseconds and written to 100 ns, the simulated board's clock step, so they are
// exact. Gaps in the output (an underrun, the pause between two runs) do not show in the times:
// they are the time the scans represent.
//
// Lines are collected in memory and handed to the file in large writes. Recording never throws
// and never waits for anything but the file: the first failure stops it, keeps what was written,
// and is told by error().

#include "board/simulated_board.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace arb {

class ScanRecorder {
  public:
    // Creates (or empties) the file at `path`. `channelCountNow` heads the columns if the
    // recording ends before any block arrives; otherwise the first block's channel count does.
    ScanRecorder(const std::string& path, std::uint32_t channelCountNow);
    ~ScanRecorder(); // closes the file; an error there is lost, so call finish() first
    ScanRecorder(const ScanRecorder&) = delete;
    ScanRecorder& operator=(const ScanRecorder&) = delete;

    // Adds the block's scans. A block with another channel count than the recording's columns
    // stops the recording with an error rather than mixing layouts in one file.
    void record(const ReceivedBlock& block) noexcept;
    // Hands the collected lines to the file.
    void flush() noexcept;
    // Flushes and closes the file. False when anything failed; error() says what.
    bool finish() noexcept;

    bool failed() const { return !error_.empty(); }
    const std::string& error() const { return error_; }
    const std::string& path() const { return path_; }
    std::uint64_t scansRecorded() const { return scans_; }

    // The time column's text for a time in nanoseconds: seconds with 7 decimals, rounded to the
    // nearest 100 ns.
    static std::string formatSeconds(std::uint64_t nanoseconds);

  private:
    static constexpr std::size_t kWriteChunk = 1 << 16;
    void fail(const std::string& what) noexcept;
    void failWithErrno(const char* what, int error) noexcept;
    void writeHeader(std::uint32_t channels);

    std::string path_;
    std::FILE* file_ = nullptr;
    std::string pending_; // lines not yet handed to the file
    std::string error_;
    std::uint32_t channels_; // the columns: fixed by the header
    bool headerDone_ = false;
    std::uint64_t scans_ = 0;
    // The stretch at the current rate: where it starts, its rate, scans so far.
    std::uint64_t stretchStartNs_ = 0;
    double stretchRateHz_ = 0;
    std::uint64_t stretchScans_ = 0;
};

} // namespace arb
