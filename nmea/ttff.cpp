#include "nmea/decoders.h"
#include "nmea/text16.h"

void MeasureTtff(IntakeHost& host, ReceiverModel& status) {
    if (status.ttffDone)
        return;
    // Unsigned difference: a wrap of the tick counter in between does no harm.
    if (static_cast<uint32_t>(host.TickCount() - status.ttffStartTick) <= 3000)
        return;
    status.ttffDone = 1;
    const uint32_t elapsed = host.TickCount() - status.ttffStartTick;
    const int seconds = static_cast<int>(elapsed / 1000);
    text16::Format(status.ttffCaption, "Skyloom  %d Sec", seconds);
    host.SetCaption(status.ttffCaption);
    status.ttffStartTick = 0;
}
