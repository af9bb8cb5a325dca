#include "nmea/receiver_status.h"

#include <cstring>

int32_t resetButtonsPending = 0;

void ClearReceiverStatus(ReceiverStatus& status) {
    std::memset(&status.texts, 0, sizeof status.texts);
    std::memset(status.satellites, 0, sizeof status.satellites);
}

void ResetFixClock(ReceiverStatus& status) {
    status.ttffStartTick = 0;
    status.ttffDone = 0;
}

void ResetCycleFlags() {
    resetButtonsPending = 0;
}
