// The one writer to the link, and the receiver's command sentences sent
// through it with the console notes that go before them.
#pragma once

#include <windows.h>

#include "link/command_set.h"
#include "nmea/intake_host.h"

// Writes one sentence (CR LF appended) to the open port; with no port open
// (no link, or a recording playing) nothing is written. 1, or 0 for a text
// longer than 253 characters, which is not sent at all.
int SentenceWriter(const wchar_t* text);

// Shows the command note in `console`, then writes the command's sentences
// with their pauses. The result of the last write.
int SendReceiverCommand(linkrules::ReceiverCommand command, IntakeHost& console);

// Shows the typed-sentence note in `console`, then writes `text`.
int SendUserSentence(const wchar_t* text, IntakeHost& console);
