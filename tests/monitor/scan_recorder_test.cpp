#include "board/scan_recorder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>
#include <vector>

namespace arb {
namespace {

namespace fs = std::filesystem;

ReceivedBlock block(const std::vector<std::uint16_t>& codes, std::uint32_t channels,
                    double rateHz) {
    return {codes, channels, rateHz, {}, {}, 3, false};
}

// A fresh folder per test, removed afterwards.
class ScanRecorderTest : public ::testing::Test {
  protected:
    ScanRecorderTest() {
        std::string pattern = (fs::temp_directory_path() / "scan_recorder_XXXXXX").string();
        folder = mkdtemp(pattern.data());
    }
    ~ScanRecorderTest() override { fs::remove_all(folder); }

    static std::string contents(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    fs::path folder;
};

TEST_F(ScanRecorderTest, WritesAHeaderThenEachScansTimeAndCodes) {
    const fs::path path = folder / "run.csv";
    ScanRecorder recorder(path.string(), 2);
    ASSERT_FALSE(recorder.failed()) << recorder.error();
    const double slower = 10e6 / 3333; // the board's rate nearest 3 kHz: 333.3 µs a scan
    recorder.record(block({0, 65535, 100, 65534, 200, 65533}, 2, 1000.0));
    recorder.record(block({300, 1}, 2, slower));
    recorder.record(block({400, 2, 500, 3}, 2, slower));
    recorder.record(block({600, 4}, 2, 1000.0));
    EXPECT_EQ(recorder.scansRecorded(), 7u);
    ASSERT_TRUE(recorder.finish()) << recorder.error();

    EXPECT_EQ(contents(path), "time_s,ch1,ch2\n"
                              "0.0000000,0,65535\n"
                              "0.0010000,100,65534\n"
                              "0.0020000,200,65533\n"
                              "0.0030000,300,1\n"
                              "0.0033333,400,2\n"
                              "0.0036666,500,3\n"
                              "0.0039999,600,4\n");
}

// Times come from whole scan counts, not from a running sum, so they stay exact however long the
// recording: scan k of a stretch at one rate is at k × 122.1 µs, 8190 Hz being the board's
// rate nearest 8192 Hz.
TEST_F(ScanRecorderTest, TimesStayExactOverALongRecording) {
    const fs::path path = folder / "long.csv";
    ScanRecorder recorder(path.string(), 1);
    const double rate = 10e6 / 1221;
    std::vector<std::uint16_t> codes(20);
    for (int b = 0; b < 5000; ++b)
        recorder.record(block(codes, 1, rate));
    ASSERT_TRUE(recorder.finish()) << recorder.error();

    const std::string text = contents(path);
    const std::size_t lastLine = text.rfind('\n', text.size() - 2) + 1;
    EXPECT_EQ(text.substr(lastLine), "12.2098779,0\n"); // scan 99999
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 100001);
}

TEST(ScanRecorderSeconds, RoundsToTheNearestHundredNanoseconds) {
    struct Case {
        std::uint64_t ns;
        const char* text;
    };
    const Case cases[] = {
        {0, "0.0000000"},
        {49, "0.0000000"},
        {50, "0.0000001"},
        {122100, "0.0001221"},
        {999'999'950, "1.0000000"},
        {1'234'567'849, "1.2345678"},
        {3'600'000'000'000, "3600.0000000"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ScanRecorder::formatSeconds(c.ns), c.text) << c.ns << " ns";
}

TEST_F(ScanRecorderTest, ARecordingWithoutBlocksHoldsTheHeaderForTheBoardsChannels) {
    const fs::path path = folder / "empty.csv";
    ScanRecorder recorder(path.string(), 3);
    ASSERT_TRUE(recorder.finish()) << recorder.error();
    EXPECT_EQ(contents(path), "time_s,ch1,ch2,ch3\n");
}

TEST_F(ScanRecorderTest, AFileThatCannotBeCreatedFailsAtOnceAndRecordsNothing) {
    const std::string path = (folder / "missing" / "run.csv").string();
    ScanRecorder recorder(path, 2);
    EXPECT_TRUE(recorder.failed());
    EXPECT_EQ(recorder.error(), "Could not create \"" + path + "\": No such file or directory.");
    recorder.record(block({1, 2}, 2, 1000.0));
    EXPECT_EQ(recorder.scansRecorded(), 0u);
    EXPECT_FALSE(recorder.finish());
    EXPECT_FALSE(fs::exists(path));
}

// /dev/full takes the file open and then refuses every write.
TEST(ScanRecorderErrors, AFailedWriteStopsTheRecordingAndSaysWhy) {
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    const std::string expected = "Could not write \"/dev/full\": No space left on device.";
    {
        SCOPED_TRACE("a short recording: the error shows when it finishes");
        ScanRecorder recorder("/dev/full", 1);
        ASSERT_FALSE(recorder.failed());
        recorder.record(block({1, 2, 3}, 1, 1000.0));
        EXPECT_FALSE(recorder.failed());
        EXPECT_FALSE(recorder.finish());
        EXPECT_EQ(recorder.error(), expected);
    }
    {
        SCOPED_TRACE("a long recording: the error shows at the first large write");
        ScanRecorder recorder("/dev/full", 16);
        const std::vector<std::uint16_t> codes(16 * 1000, 65535);
        recorder.record(block(codes, 16, 8000.0));
        EXPECT_TRUE(recorder.failed());
        EXPECT_EQ(recorder.error(), expected);
        const std::uint64_t before = recorder.scansRecorded();
        recorder.record(block(codes, 16, 8000.0));
        EXPECT_EQ(recorder.scansRecorded(), before);
        EXPECT_FALSE(recorder.finish());
        EXPECT_EQ(recorder.error(), expected);
    }
}

TEST_F(ScanRecorderTest, AnotherChannelCountStopsTheRecordingWithTheLinesSoFar) {
    const fs::path path = folder / "changed.csv";
    ScanRecorder recorder(path.string(), 1);
    recorder.record(block({10, 20}, 2, 1000.0)); // the first block's channels head the columns
    recorder.record(block({30, 40, 50}, 3, 1000.0));
    recorder.record(block({60, 70}, 2, 1000.0));
    EXPECT_TRUE(recorder.failed());
    EXPECT_EQ(recorder.error(), "The channel count changed from 2 to 3; the recording stopped "
                                "there so that every line has the same columns.");
    EXPECT_FALSE(recorder.finish());
    EXPECT_EQ(contents(path), "time_s,ch1,ch2\n0.0000000,10,20\n");
}

} // namespace
} // namespace arb
