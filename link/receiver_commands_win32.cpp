#include "link/receiver_commands_win32.h"

#include <windows.h>

#include "link/link_win32.h"
#include "link/sentence_frame.h"
#include "nmea/text16.h"
#include "win32/wide_text.h"

namespace {

int WriteNarrow(Link& link, const char* sentence) {
    wchar_t wide[linkrules::kSentenceBufferBytes];
    text16::CopyNarrow(AsText16Array(wide), sentence);
    return SentenceWriter(link, wide);
}

}  // namespace

int SentenceWriter(Link& link, const wchar_t* text) {
    uint8_t bytes[linkrules::kSentenceBufferBytes];
    size_t n = linkrules::FrameSentence(AsText16(text), bytes);
    if (n == 0)
        return 0;
    // What the receiver answers meanwhile is read and shown as ever: the
    // reader is never told to drop it.
    link.Write(bytes, n);
    Sleep(100);
    return 1;
}

int SendReceiverCommand(Link& link, linkrules::ReceiverCommand command, IntakeHost& console) {
    linkrules::CommandScript script = linkrules::ScriptFor(command);
    console.ConsoleInsert(linkrules::kCommandNote);
    int result = 1;
    for (size_t i = 0; i < script.count; ++i) {
        result = WriteNarrow(link, script.sentences[i]);
        if (script.pauseAfterMs != 0)
            Sleep(script.pauseAfterMs);
    }
    return result;
}

int SendUserSentence(Link& link, const wchar_t* text, IntakeHost& console) {
    console.ConsoleInsert(linkrules::kUserSentenceNote);
    return SentenceWriter(link, text);
}
