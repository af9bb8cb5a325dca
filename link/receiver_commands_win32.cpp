#include "link/receiver_commands_win32.h"

#include "link/sentence_frame.h"
#include "link/serial_link_win32.h"
#include "nmea/text16.h"
#include "win32/wide_text.h"

namespace {

int WriteNarrow(const char* sentence) {
    wchar_t wide[linkrules::kSentenceBufferBytes];
    text16::CopyNarrow(AsText16Array(wide), sentence);
    return SentenceWriter(wide);
}

}  // namespace

int SentenceWriter(const wchar_t* text) {
    uint8_t bytes[linkrules::kSentenceBufferBytes];
    size_t n = linkrules::FrameSentence(AsText16(text), bytes);
    if (n == 0)
        return 0;
    HANDLE port = CommandTarget();
    if (port != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(port, bytes, static_cast<DWORD>(n), &written, nullptr);
    }
    Sleep(100);
    if (port != INVALID_HANDLE_VALUE) {
        PurgeComm(port, PURGE_TXCLEAR);
        PurgeComm(port, PURGE_RXCLEAR);
    }
    return 1;
}

int SendReceiverCommand(linkrules::ReceiverCommand command, IntakeHost& console) {
    linkrules::CommandScript script = linkrules::ScriptFor(command);
    console.ConsoleInsert(linkrules::kCommandNote);
    int result = 1;
    for (size_t i = 0; i < script.count; ++i) {
        result = WriteNarrow(script.sentences[i]);
        if (script.pauseAfterMs != 0)
            Sleep(script.pauseAfterMs);
    }
    return result;
}

int SendUserSentence(const wchar_t* text, IntakeHost& console) {
    console.ConsoleInsert(linkrules::kUserSentenceNote);
    return SentenceWriter(text);
}
