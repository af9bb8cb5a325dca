// One open link as the link and its reader thread share it. Each reader owns
// its own state: it reads only its own source and obeys only its own run
// flag, so a reader left over from a closed link can never touch a later
// link's source. The link and the reader each hold one reference; whichever
// lets go last destroys the state, which closes its source, so closing never
// has to wait for a reader that is blocked handing its line to the
// user-interface thread.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "link/byte_source.h"
#include "win32/unique_handle.h"

struct LinkState {
    linkrules::ByteSourcePtr source;
    UniqueHandle thread;
    HWND target = nullptr;  // receives UM_LINE_RECEIVED and UM_PORT_LOST
    bool live = false;      // the source's bytes go to the raw recording
    uint32_t number = 0;    // tells this link's UM_PORT_LOST from a stale one
    std::atomic<int32_t> run{1};
    std::atomic<int32_t> owners{2};
    std::atomic<const wchar_t*> handingOver{nullptr};  // the line inside SendMessageW
    LinkState* next = nullptr;                         // the list of live readers
};

// Takes ownership of `source` and starts its reader. nullptr when the reader
// could not be started; the source is closed then.
LinkState* StartLinkReader(linkrules::ByteSourcePtr source, HWND target);

// Drops one reference; the last one closes the source and frees the state.
void ReleaseLinkState(LinkState* state);

// States not yet freed: each is an open link or a reader still running.
int LiveLinkStates();

// The UM_LINE_RECEIVED guard: the line a reader is handing over right now
// when wParam is its address, nullptr for anything else (a message from
// another process, a stale or forged pointer). Never dereferences wParam.
const wchar_t* ClaimDeliveredLine(WPARAM wParam);
