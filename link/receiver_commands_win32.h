// The one writer to the link, and the receiver's command sentences sent
// through it with the console notes that go before them.
#pragma once

#include "link/command_set.h"
#include "nmea/intake_host.h"

class Link;

// Writes one sentence (CR LF appended) to the link's receiver, then gives it
// 100 ms; with nothing open, or a source that takes no commands (a
// recording), nothing is written. 1, or 0 for a text longer than 253
// characters, which is not sent at all.
int SentenceWriter(Link& link, const wchar_t* text);

// Shows the command note in `console`, then writes the command's sentences
// with their pauses. The result of the last write.
int SendReceiverCommand(Link& link, linkrules::ReceiverCommand command, IntakeHost& console);

// Shows the typed-sentence note in `console`, then writes `text`.
int SendUserSentence(Link& link, const wchar_t* text, IntakeHost& console);
