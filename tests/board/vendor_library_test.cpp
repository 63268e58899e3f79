#include "board/vendor_library.h"

#include "tests/board/recorded_calls.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace arb {
namespace {

// Binds the recording library by path, and reads back through the same loaded copy what it
// recorded.
class BoundRecordingLibrary : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(library.status(), VendorLibrary::Status::Bound) << library.message();
        // RTLD_NOLOAD: only the copy the VendorLibrary loaded, so the records are shared.
        probe = dlopen(RECORDING_BOARD_PATH, RTLD_NOW | RTLD_NOLOAD);
        ASSERT_NE(probe, nullptr);
        auto recordingCalls = reinterpret_cast<RecordingCallsFn>(dlsym(probe, "RecordingCalls"));
        ASSERT_NE(recordingCalls, nullptr);
        calls = recordingCalls();
    }
    void TearDown() override {
        if (probe != nullptr)
            dlclose(probe);
    }

    VendorLibrary library{RECORDING_BOARD_PATH};
    const DacFunctions& board = library.functions();
    void* probe = nullptr;
    const RecordedCalls* calls = nullptr;
};

TEST_F(BoundRecordingLibrary, ReloadAndRangeAndCountArriveIntact) {
    const auto reloadsBefore = calls->reloadCalls;
    EXPECT_EQ(board.reloadDeviceLinks(), RECORDING_RELOAD_RESULT);
    EXPECT_EQ(calls->reloadCalls, reloadsBefore + 1);

    EXPECT_EQ(board.setBoardRange(0xA1B2C3D4u, 0xFFFFFFFEu), RECORDING_RANGE_RESULT);
    EXPECT_EQ(calls->rangeDevice, 0xA1B2C3D4u);
    EXPECT_EQ(calls->rangeCode, 0xFFFFFFFEu);

    EXPECT_EQ(board.outputSetCount(0x01020304u, 16u), RECORDING_COUNT_RESULT);
    EXPECT_EQ(calls->countDevice, 0x01020304u);
    EXPECT_EQ(calls->countChannels, 16u);
}

TEST_F(BoundRecordingLibrary, VendorWriteArgumentsArriveIntact) {
    struct Case {
        std::uint32_t device;
        std::uint8_t request;
        std::uint16_t value;
        std::uint16_t index;
        std::uint32_t length;
    };
    const Case cases[] = {
        {0, kConfigRequest, 16 * 256 + 1, kChannelCountIndex, 0}, // sixteen channels
        {0, kConfigRequest, 255, kBufferDepthIndex, 0},           // 256 deep
        {0xFFFFFFFFu, 0xFF, 0xFFFF, 0xFFFF, 0xFFFFFFFFu},         // every bit of every width
        {0x80000001u, 0x01, 0x8001, 0x7FFE, 0x00010000u},
    };
    int data = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "value " << c.value << " index " << c.index);
        EXPECT_EQ(board.vendorWrite(c.device, c.request, c.value, c.index, c.length, &data),
                  RECORDING_WRITE_RESULT);
        EXPECT_EQ(calls->writeDevice, c.device);
        EXPECT_EQ(calls->writeRequest, c.request);
        EXPECT_EQ(calls->writeValue, c.value);
        EXPECT_EQ(calls->writeIndex, c.index);
        EXPECT_EQ(calls->writeLength, c.length);
        EXPECT_EQ(calls->writeData, &data);
    }
}

TEST_F(BoundRecordingLibrary, OutputProcessGetsTheRateAddressAndBlockAndWritesTheRateBack) {
    std::vector<std::uint16_t> buffer(3 * 40);
    for (std::size_t i = 0; i < buffer.size(); ++i)
        buffer[i] = static_cast<std::uint16_t>(0xF000 + i);
    double rateHz = 8191.5;
    const std::uint16_t* block = buffer.data() + 40; // the second block of 20 scans, 2 channels

    EXPECT_EQ(board.outputProcess(0x7Fu, &rateHz, 40, block), RECORDING_PROCESS_RESULT);
    EXPECT_EQ(calls->processDevice, 0x7Fu);
    EXPECT_EQ(calls->processRateAddress, &rateHz);
    EXPECT_EQ(calls->processRateReceived, 8191.5);
    EXPECT_EQ(calls->processCount, 40u);
    EXPECT_EQ(calls->processSamples, block);
    EXPECT_EQ(calls->processLastSample, buffer[79]);
    EXPECT_EQ(rateHz, RECORDING_RATE_WRITTEN_BACK);
}

struct BindingCase {
    const char* what;
    std::string nameOrPath;
    VendorLibrary::Status status;
    std::vector<std::string> messageMentions; // empty: no message at all
};

void expectBinding(const BindingCase& c) {
    SCOPED_TRACE(c.what);
    VendorLibrary library(c.nameOrPath);
    EXPECT_EQ(library.status(), c.status) << library.message();
    if (c.messageMentions.empty()) {
        EXPECT_EQ(library.message(), "");
    }
    for (const std::string& part : c.messageMentions)
        EXPECT_NE(library.message().find(part), std::string::npos)
            << '"' << library.message() << "\" lacks \"" << part << '"';
    const DacFunctions& f = library.functions();
    const bool allBound = f.reloadDeviceLinks && f.setBoardRange && f.vendorWrite &&
                          f.outputSetCount && f.outputProcess;
    const bool noneBound = !f.reloadDeviceLinks && !f.setBoardRange && !f.vendorWrite &&
                           !f.outputSetCount && !f.outputProcess;
    EXPECT_TRUE(c.status == VendorLibrary::Status::Bound ? allBound : noneBound);
}

TEST(VendorLibraryBinding, EachFailureByPathIsNamedPrecisely) {
    const std::string absentPath = std::string(BOARD_LIBS_DIR) + "/libarb_absent_board.so";
    const BindingCase cases[] = {
        {"absent path", absentPath, VendorLibrary::Status::NotFound, {}},
        {"absent folder", "/no/such/folder/libveldra.so", VendorLibrary::Status::NotFound, {}},
        {"not a library, by path",
         NOT_A_LIBRARY_PATH,
         VendorLibrary::Status::LoadFailed,
         {"The board library " NOT_A_LIBRARY_PATH " could not be loaded"}},
        {"a dependency is absent",
         DEPENDENT_BOARD_PATH,
         VendorLibrary::Status::LoadFailed,
         {"The board library " DEPENDENT_BOARD_PATH " could not be loaded", DEPENDENCY_NAME}},
        {"an export is missing",
         INCOMPLETE_BOARD_PATH,
         VendorLibrary::Status::SymbolMissing,
         {"The board library " INCOMPLETE_BOARD_PATH " lacks the export DACOutputProcess."}},
    };
    for (const BindingCase& c : cases)
        expectBinding(c);
}

// The program names its library bare, as here; the loader searches LD_LIBRARY_PATH, the ld.so
// cache and the system folders for it.
TEST(VendorLibraryBinding, BareNamesAreSearchedForAndEachOutcomeIsTold) {
    const char* searchPath = std::getenv("LD_LIBRARY_PATH");
    ASSERT_TRUE(searchPath != nullptr && std::string(searchPath).find(BOARD_LIBS_DIR) == 0)
        << "run through ctest, or with LD_LIBRARY_PATH=" BOARD_LIBS_DIR;
    const BindingCase cases[] = {
        {"present", RECORDING_BOARD_NAME, VendorLibrary::Status::Bound, {}},
        {"absent", "libarb_absent_board.so", VendorLibrary::Status::NotFound, {}},
        {"found but not a library",
         NOT_A_LIBRARY_NAME,
         VendorLibrary::Status::LoadFailed,
         {"The board library " NOT_A_LIBRARY_NAME " could not be loaded", NOT_A_LIBRARY_PATH}},
    };
    for (const BindingCase& c : cases)
        expectBinding(c);
}

} // namespace
} // namespace arb
