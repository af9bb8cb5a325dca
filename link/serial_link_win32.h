// Opening and closing the link (a serial port or a recording), and the reader
// thread that hands each received line to the main window.
#pragma once

#include <windows.h>

#include "link/link_context_win32.h"

// The main window's UM_TOGGLE_LINK: closes the open link or opens the selected
// entry. 1 when a link was opened or closed, 0 when nothing was opened.
int ToggleLink(LinkContext& context);

// Closes the open link, if any; never waits without bound for its reader.
int CloseLink();

// True while a link is open.
bool LinkIsOpen();

// The UM_LINE_RECEIVED guard: the line the reader is handing over right now
// when wParam is its address, nullptr for anything else (a message from
// another process, a stale or forged pointer). Never dereferences wParam.
const wchar_t* ClaimDeliveredLine(WPARAM wParam);
