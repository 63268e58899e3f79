#pragma once

// The five operations of the board's driver library, as one table of C functions. Every provider
// (the vendor library, the simulated board, test fakes) fills this table.

#include <cstdint>

#if defined(_WIN32)
#define ARB_CDECL __cdecl
#else
#define ARB_CDECL
#endif

extern "C" {
typedef std::uint32_t(ARB_CDECL* ReloadDeviceLinksFn)(void);
typedef std::uint32_t(ARB_CDECL* DACSetBoardRangeFn)(std::uint32_t deviceIndex,
                                                     std::uint32_t rangeCode);
typedef std::uint32_t(ARB_CDECL* GenericVendorWriteFn)(std::uint32_t deviceIndex,
                                                       std::uint8_t request, std::uint16_t value,
                                                       std::uint16_t index,
                                                       std::uint32_t dataLength, void* data);
typedef std::uint32_t(ARB_CDECL* DACOutputSetCountFn)(std::uint32_t deviceIndex,
                                                      std::uint32_t channelCount);
typedef std::uint32_t(ARB_CDECL* DACOutputProcessFn)(std::uint32_t deviceIndex, double* rateHz,
                                                     std::uint32_t sampleCount,
                                                     const std::uint16_t* samples);
}

namespace arb {

struct DacFunctions {
    ReloadDeviceLinksFn reloadDeviceLinks = nullptr;
    DACSetBoardRangeFn setBoardRange = nullptr;
    GenericVendorWriteFn vendorWrite = nullptr;
    DACOutputSetCountFn outputSetCount = nullptr;
    DACOutputProcessFn outputProcess = nullptr;
};

// The vendor request that carries the channel count (index 0) and the buffer depth (index 1).
inline constexpr std::uint8_t kConfigRequest = 0xC7;
inline constexpr std::uint16_t kChannelCountIndex = 0;
inline constexpr std::uint16_t kBufferDepthIndex = 1;

} // namespace arb
