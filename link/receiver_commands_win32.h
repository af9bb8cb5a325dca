// The receiver command set: the program messages UM_COLD_START,
// UM_POWER_SAVE_ON .. UM_QUERY_VERSION, UM_SEND_USER_SENTENCE,
// UM_AUTO_SEND_START/STOP, UM_FACTORY_RESET, and the one writer to the link.
#pragma once

#include <windows.h>

#include "link/link_context_win32.h"

// Writes one sentence (CR LF appended) to the open port; with no port open
// (no link, or a recording playing) nothing is written. 1, or 0 for a text
// longer than 253 characters, which is not sent at all.
int SentenceWriter(const wchar_t* text);

// Handles one of the command messages above and returns its result.
LRESULT HandleReceiverCommand(UINT message, LinkContext& context);
