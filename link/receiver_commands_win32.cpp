#include "link/receiver_commands_win32.h"

#include "app/messages.h"
#include "link/auto_send.h"
#include "link/command_set.h"
#include "link/log_file_win32.h"
#include "link/sentence_frame.h"
#include "link/serial_link_win32.h"
#include "link/text16_win32.h"
#include "nmea/receiver_status.h"
#include "nmea/text16.h"
#include "res/resource.h"

using linkrules::ReceiverCommand;

namespace {

constexpr int kUserSentenceUnits = 1023;  // 1022 characters and the terminator
constexpr int kNumberTextUnits = 255;

void Note(LinkContext& context, const char16_t* note) {
    if (context.host != nullptr)
        context.host->ConsoleInsert(note);
}

int WriteNarrow(const char* sentence) {
    wchar_t wide[linkrules::kSentenceBufferBytes];
    text16::CopyNarrow(AsText16(wide), linkrules::kSentenceBufferBytes, sentence);
    return SentenceWriter(wide);
}

LRESULT RunScript(ReceiverCommand command, LinkContext& context) {
    linkrules::CommandScript script = linkrules::ScriptFor(command);
    Note(context, linkrules::kCommandNote);
    int result = 1;
    for (size_t i = 0; i < script.count; ++i) {
        result = WriteNarrow(script.sentences[i]);
        if (script.pauseAfterMs != 0)
            Sleep(script.pauseAfterMs);
    }
    return result;
}

LRESULT Restart(ReceiverCommand command, int button, LinkContext& context) {
    EnableWindow(GetDlgItem(context.setupPanel, button), FALSE);
    ResetFixClock(*context.status);
    SetWindowTextW(context.mainWindow, L"Skyloom");
    ClearReceiverStatus(*context.status);
    RunScript(command, context);
    resetButtonsPending = 1;
    return 1;
}

// "%d" of a panel field into *value; a text that is no number leaves it.
void ScanField(HWND panel, int id, int32_t* value) {
    wchar_t text[kNumberTextUnits] = {};
    GetDlgItemTextW(panel, id, text, kNumberTextUnits);
    text16::ScanInt(AsText16(text), value);
}

LRESULT StartAutoSend(LinkContext& context) {
    ScanField(context.setupPanel, IDC_SNR_OFFSET, &SnrOffset);
    wchar_t period[kNumberTextUnits] = {};
    GetDlgItemTextW(context.setupPanel, IDC_AUTO_PERIOD, period, kNumberTextUnits);
    uint32_t ms = linkrules::AutoSendPeriodMs(AsText16(period));
    if (ms == 0)
        SendDlgItemMessageW(context.setupPanel, IDC_AUTO_SEND, BM_SETCHECK, BST_UNCHECKED, 0);
    else
        SetTimer(context.mainWindow, TIMER_AUTO_SEND, ms, nullptr);
    return 0;
}

LRESULT SendUserSentence(LinkContext& context) {
    Note(context, linkrules::kUserSentenceNote);
    wchar_t text[kUserSentenceUnits] = {};
    GetDlgItemTextW(context.setupPanel, IDC_USER_SENTENCE, text, kUserSentenceUnits);
    return SentenceWriter(text);
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

LRESULT HandleReceiverCommand(UINT message, LinkContext& context) {
    switch (message) {
        case UM_POWER_SAVE_ON:
            return RunScript(ReceiverCommand::kPowerSaveOn, context);
        case UM_POWER_SAVE_OFF:
            return RunScript(ReceiverCommand::kPowerSaveOff, context);
        case UM_SBAS_ON:
            return RunScript(ReceiverCommand::kSbasOn, context);
        case UM_SBAS_OFF:
            return RunScript(ReceiverCommand::kSbasOff, context);
        case UM_VTG_ON:
            return RunScript(ReceiverCommand::kVtgOn, context);
        case UM_VTG_OFF:
            return RunScript(ReceiverCommand::kVtgOff, context);
        case UM_QUERY_VERSION:
            return RunScript(ReceiverCommand::kQueryVersion, context);
        case UM_COLD_START:
            return Restart(ReceiverCommand::kColdStart, IDC_COLD_START, context);
        case UM_FACTORY_RESET:
            return Restart(ReceiverCommand::kFactoryReset, IDC_FACTORY_RESET, context);
        case UM_SEND_USER_SENTENCE:
            return SendUserSentence(context);
        case UM_AUTO_SEND_START:
            return StartAutoSend(context);
        case UM_AUTO_SEND_STOP:
            KillTimer(context.mainWindow, TIMER_AUTO_SEND);
            return 0;
        default:
            return 0;
    }
}
