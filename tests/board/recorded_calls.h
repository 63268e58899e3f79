#pragma once

/* What the recording board library received, read back by the tests through RecordingCalls().
   Plain C, shared by the library and the tests. */

#include <stdint.h>

/* Each export answers its own result, so that a test sees results arrive intact too. */
#define RECORDING_RELOAD_RESULT 0x11111111u
#define RECORDING_RANGE_RESULT 0x22222222u
#define RECORDING_WRITE_RESULT 0x33333333u
#define RECORDING_COUNT_RESULT 0x44444444u
#define RECORDING_PROCESS_RESULT 0xFFFFFFFFu
/* What DACOutputProcess writes back through the rate's address. */
#define RECORDING_RATE_WRITTEN_BACK 4321.125

typedef struct RecordedCalls {
    uint32_t reloadCalls;

    uint32_t rangeDevice;
    uint32_t rangeCode;

    uint32_t writeDevice;
    uint8_t writeRequest;
    uint16_t writeValue;
    uint16_t writeIndex;
    uint32_t writeLength;
    const void* writeData;

    uint32_t countDevice;
    uint32_t countChannels;

    uint32_t processDevice;
    double* processRateAddress;
    double processRateReceived;
    uint32_t processCount;
    const uint16_t* processSamples;
    uint16_t processLastSample; /* read to prove the whole block is reachable */
} RecordedCalls;

typedef const RecordedCalls* (*RecordingCallsFn)(void);
