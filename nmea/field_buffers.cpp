#include <cstring>

#include "nmea/decoders.h"

char16_t RmcFields[kRmcFieldCount][kNavFieldWidth];
char16_t GsaFields[kGsaFieldCount][kNavFieldWidth];
char16_t GsvFields[kGsvFieldCount][kNavFieldWidth];
char16_t VersionFields[kVersionFieldCount][kVersionFieldWidth];

void ClearFieldBuffers() {
    std::memset(RmcFields, 0, sizeof RmcFields);
    std::memset(GsaFields, 0, sizeof GsaFields);
    std::memset(GsvFields, 0, sizeof GsvFields);
    std::memset(VersionFields, 0, sizeof VersionFields);
}
