/* A board library for tests: exports the five operations with C linkage and records every
   argument it receives. Built without DACOutputProcess when RECORDING_OMIT_OUTPUT_PROCESS is
   defined, and needing another shared library when RECORDING_NEEDS_DEPENDENCY is. */

#include "recorded_calls.h"

#define EXPORT __attribute__((visibility("default")))

static RecordedCalls calls;

#ifdef RECORDING_NEEDS_DEPENDENCY
extern int BoardDependencyAnswer(void);
#define TOUCH_DEPENDENCY() ((void)BoardDependencyAnswer())
#else
#define TOUCH_DEPENDENCY() ((void)0)
#endif

EXPORT const RecordedCalls* RecordingCalls(void) {
    return &calls;
}

EXPORT uint32_t VELDRA_ReloadDeviceLinks(void) {
    TOUCH_DEPENDENCY();
    ++calls.reloadCalls;
    return RECORDING_RELOAD_RESULT;
}

EXPORT uint32_t DACSetBoardRange(uint32_t device, uint32_t rangeCode) {
    calls.rangeDevice = device;
    calls.rangeCode = rangeCode;
    return RECORDING_RANGE_RESULT;
}

EXPORT uint32_t GenericVendorWrite(uint32_t device, uint8_t request, uint16_t value, uint16_t index,
                                   uint32_t dataLength, void* data) {
    calls.writeDevice = device;
    calls.writeRequest = request;
    calls.writeValue = value;
    calls.writeIndex = index;
    calls.writeLength = dataLength;
    calls.writeData = data;
    return RECORDING_WRITE_RESULT;
}

EXPORT uint32_t DACOutputSetCount(uint32_t device, uint32_t channelCount) {
    calls.countDevice = device;
    calls.countChannels = channelCount;
    return RECORDING_COUNT_RESULT;
}

#ifndef RECORDING_OMIT_OUTPUT_PROCESS
EXPORT uint32_t DACOutputProcess(uint32_t device, double* rateHz, uint32_t sampleCount,
                                 const uint16_t* samples) {
    calls.processDevice = device;
    calls.processRateAddress = rateHz;
    calls.processRateReceived = *rateHz;
    calls.processCount = sampleCount;
    calls.processSamples = samples;
    calls.processLastSample = sampleCount > 0 ? samples[sampleCount - 1] : 0;
    *rateHz = RECORDING_RATE_WRITTEN_BACK;
    return RECORDING_PROCESS_RESULT;
}
#endif
