// One open link as the link and its reader thread share it. Each reader owns
// its own state: it reads only its own device and obeys only its own run flag,
// so a reader left over from a closed link can never touch a later link's
// handle. The link and the reader each hold one reference; whichever lets go
// last destroys the state, which closes its handles, so closing never has to
// wait for a reader that is blocked handing its line to the user-interface
// thread.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "win32/unique_handle.h"

struct LinkState {
    UniqueFile device;
    UniqueHandle thread;
    UniqueHandle stopEvent;  // wakes a reader backing off after an empty read
    HWND target = nullptr;   // receives UM_LINE_RECEIVED and UM_PORT_LOST
    bool isPort = false;     // false: a recording, never written to
    uint32_t number = 0;     // tells this link's UM_PORT_LOST from a stale one
    std::atomic<int32_t> run{1};
    std::atomic<int32_t> owners{2};
    std::atomic<const wchar_t*> handingOver{nullptr};  // the line inside SendMessageW
    LinkState* next = nullptr;                         // the list of live readers
};

// Takes ownership of `device` and starts its reader. nullptr when the reader
// could not be started; the device is closed then.
LinkState* StartLinkReader(HANDLE device, HWND target, bool isPort);

// Drops one reference; the last one closes the device and frees the state.
void ReleaseLinkState(LinkState* state);

// States not yet freed: each is an open link or a reader still running.
int LiveLinkStates();
