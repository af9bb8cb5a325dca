#include "link/command_set.h"

namespace linkrules {

const char16_t kCommandNote[] = u"$PSRF\r\n...OK\r\n";
const char16_t kUserSentenceNote[] = u"Send Message\r\n...OK\r\n";

CommandScript ScriptFor(ReceiverCommand command) {
    switch (command) {
        // SiRF power save: duty cycle fields, the last one switches it.
        case ReceiverCommand::kPowerSaveOn:
            return {{"$PSRF150,0,300,1000,1*10", nullptr}, 1, 0};
        case ReceiverCommand::kPowerSaveOff:
            return {{"$PSRF150,0,1000,1000,0*23", nullptr}, 1, 0};
        case ReceiverCommand::kSbasOn:
            return {{"$PSRF151,01*0F", nullptr}, 1, 0};
        case ReceiverCommand::kSbasOff:
            return {{"$PSRF151,00*0E", nullptr}, 1, 0};
        // Rate control of message 05 (VTG): mode 00, rate 01 or 00, checksum on.
        case ReceiverCommand::kVtgOn:
            return {{"$PSRF103,05,00,01,01*20", nullptr}, 1, 0};
        case ReceiverCommand::kVtgOff:
            return {{"$PSRF103,05,00,00,01*21", nullptr}, 1, 0};
        case ReceiverCommand::kQueryVersion:
            return {{"$PMTK605*31", nullptr}, 1, 0};
        // The version query first, so the fields refill after the restart.
        case ReceiverCommand::kColdStart:
            return {{"$PMTK605*31", "$PMTK103*30"}, 2, 500};
        case ReceiverCommand::kFactoryReset:
            return {{"$PMTK104*37", nullptr}, 1, 500};
        // Restarts that keep what the receiver knows (hot: time, position,
        // almanac and ephemeris; warm: all but the ephemeris), paced like the
        // cold start.
        case ReceiverCommand::kHotStart:
            return {{"$PMTK101*32", nullptr}, 1, 500};
        case ReceiverCommand::kWarmStart:
            return {{"$PMTK102*31", nullptr}, 1, 500};
    }
    return {{nullptr, nullptr}, 0, 0};
}

}  // namespace linkrules
