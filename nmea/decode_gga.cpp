#include "nmea/decoders.h"

// $GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47
// Only the sentence's arrival matters: it opens the receiver's reporting cycle,
// so the next GSV and GSA start their satellite flags afresh, and the status
// panel is redrawn once the line is shown.
void DecodeGga(ReceiverModel& status) {
    IntakeState& intake = status.intake;
    intake.gsvCleared = 0;
    intake.gsaCleared = 0;
    intake.cycleComplete = 1;
    StartRound(intake);
}

void StartRound(IntakeState& intake) {
    ++intake.round;
    intake.roundGroupCount = 0;
}
