// What the receiver link needs of the windows: the main window (owner of the
// file dialog, target of the reader, caption), the setup panel (its controls by
// id), its LinkOpen flag, the status record to clear, and the intake host for
// console notes.
#pragma once

#include <windows.h>

#include <cstdint>

#include "nmea/intake_host.h"
#include "nmea/receiver_status.h"

struct LinkContext {
    HWND mainWindow = nullptr;
    HWND setupPanel = nullptr;
    int32_t* linkOpen = nullptr;  // the setup panel's LinkOpen
    ReceiverStatus* status = nullptr;
    IntakeHost* host = nullptr;
};
