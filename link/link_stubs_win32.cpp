// Placeholder answers of the link until the receiver link lands: nothing opens,
// commands answer as their messages are documented to.
#include "app/messages.h"
#include "link/log_file_win32.h"
#include "link/port_discovery_win32.h"
#include "link/receiver_commands_win32.h"
#include "link/serial_link_win32.h"

int8_t PortCount = 0;
HANDLE LogHandle = INVALID_HANDLE_VALUE;
int32_t LogOn = 0;
int32_t SnrOffset = 0;

void EnumeratePorts(HWND) {}
void RescanPorts(HWND, int32_t, int32_t*) {}
int ToggleLink(LinkContext&) { return 0; }
int CloseLink() { return 1; }
bool LinkIsOpen() { return false; }
const wchar_t* ClaimDeliveredLine(WPARAM) { return nullptr; }
int SentenceWriter(const wchar_t*) { return 1; }
LRESULT HandleReceiverCommand(UINT message, LinkContext&) {
    return (message == UM_AUTO_SEND_START || message == UM_AUTO_SEND_STOP) ? 0 : 1;
}
LRESULT StartLog(HWND) { return 0; }
LRESULT StopLog(HWND) { return 0; }
void WriteLogLine(const char16_t*, size_t) {}
void CloseLogAtExit() {}
