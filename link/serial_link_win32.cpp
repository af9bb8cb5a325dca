#include "link/serial_link_win32.h"

#include <commdlg.h>

#include <iterator>

#include "link/device_name.h"
#include "link/link_state_win32.h"
#include "link/raw_recording.h"
#include "link/raw_recording_win32.h"
#include "win32/wide_text.h"

HANDLE LinkHandle = INVALID_HANDLE_VALUE;
const uint32_t BaudRates[kBaudRateCount] = {1200,  2400,  4800,  9600,  14400,
                                            19200, 38400, 57600, 115200};

namespace {

LinkState* g_link = nullptr;

// How long closing waits for the reader to let go of the device. A reader
// blocked in its hand-over waits for this very thread, so the wait must end
// on its own; that reader then closes the device when its line is taken.
constexpr DWORD kReaderStopWaitMs = 250;

constexpr DWORD kRecordingDialogFlags =
    OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_EXPLORER | OFN_ENABLESIZING;
static_assert(kRecordingDialogFlags == 0x00881804, "open-file dialog flags");

// The dialog's own path buffer is the device name of a recording: the port
// names' 128 units would cut or refuse an ordinary deep path.
bool ChooseRecording(HWND owner, wchar_t* path, DWORD capacity) {
    path[0] = 0;
    OPENFILENAMEW dialog = RecordingDialog(owner, path, capacity, L"Open Recording");
    dialog.Flags = kRecordingDialogFlags;
    return GetOpenFileNameW(&dialog) != FALSE;
}

// A write that the port does not drain (a Bluetooth port out of range, a
// virtual port without its peer) must not hold the window for long: a second
// for a command sentence, plus the time its bytes take on the wire.
constexpr DWORD kWriteAllowanceMs = 1000;

// Ten bits a byte (start, eight data, stop), rounded up to whole milliseconds.
DWORD WireMsPerByte(uint32_t baud) {
    return (10000 + baud - 1) / baud;
}

// False when the port refuses the link's settings: it would otherwise be read
// at whatever rate and framing it happened to have.
bool ConfigurePort(HANDLE port, uint32_t baud) {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(port, &dcb))
        return false;
    dcb.BaudRate = baud;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = 1;
    dcb.fAbortOnError = 1;
    dcb.fParity = 0;
    dcb.fOutxCtsFlow = 0;
    dcb.fOutxDsrFlow = 0;
    dcb.fDsrSensitivity = 0;
    dcb.fOutX = 0;
    dcb.fInX = 0;
    dcb.fNull = 0;
    dcb.fDtrControl = DTR_CONTROL_DISABLE;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    if (!SetCommState(port, &dcb))
        return false;

    // A read returns at once with what is buffered, waits for the next byte
    // when nothing is, and gives up after 100 ms of silence. Without these a
    // read could wait for ever, and the reader with it.
    COMMTIMEOUTS timeouts{};
    GetCommTimeouts(port, &timeouts);
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
    timeouts.ReadTotalTimeoutConstant = 100;
    timeouts.WriteTotalTimeoutMultiplier = WireMsPerByte(baud);
    timeouts.WriteTotalTimeoutConstant = kWriteAllowanceMs;
    if (!SetCommTimeouts(port, &timeouts))
        return false;

    DWORD errors = 0;
    ClearCommError(port, &errors, nullptr);
    PurgeComm(port, PURGE_TXCLEAR);
    PurgeComm(port, PURGE_RXCLEAR);
    ClearCommError(port, &errors, nullptr);
    return true;
}

}  // namespace

bool LinkIsOpen() {
    return g_link != nullptr;
}

uint32_t OpenLinkNumber() {
    return g_link != nullptr ? g_link->number : 0;
}

HANDLE CommandTarget() {
    return (g_link != nullptr && g_link->isPort) ? g_link->device.get() : INVALID_HANDLE_VALUE;
}

int CloseLink() {
    LinkState* state = g_link;
    g_link = nullptr;
    LinkHandle = INVALID_HANDLE_VALUE;
    if (state == nullptr)
        return 1;
    state->run.store(0);
    if (state->stopEvent)
        SetEvent(state->stopEvent.get());
    // Ends a read in progress at once where the system can; elsewhere the
    // port's 100 ms read timeout ends it.
    CancelSynchronousIo(state->thread.get());
    if (state->handingOver.load() == nullptr)
        WaitForSingleObject(state->thread.get(), kReaderStopWaitMs);
    ReleaseLinkState(state);
    return 1;
}

namespace {

// Ports are opened exclusively for reading and writing. A recording is only
// read: it may sit on read-only media or still be written by the program
// capturing it.
int OpenDevice(HWND owner, const wchar_t* device, bool isPort, int baudIndex) {
    UniqueFile handle(isPort ? CreateFileW(device, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                           OPEN_EXISTING, 0, nullptr)
                             : CreateFileW(device, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                           nullptr, OPEN_EXISTING, 0, nullptr));
    if (!handle)
        return 0;
    if (isPort && !ConfigurePort(handle.get(), BaudRates[baudIndex]))
        return 0;

    const HANDLE opened = handle.get();
    LinkState* state = StartLinkReader(handle.release(), owner, isPort);
    if (state == nullptr)
        return 0;
    g_link = state;
    LinkHandle = opened;
    return 1;
}

}  // namespace

int OpenRecording(HWND owner, const wchar_t* path) {
    CloseLink();
    return OpenDevice(owner, path, false, 0);
}

int OpenLink(HWND owner, const wchar_t* entry, int baudIndex) {
    CloseLink();

    wchar_t device[MAX_PATH];
    linkrules::EntryKind kind =
        linkrules::ResolveEntry(AsText16(entry), AsText16(device), linkrules::kPortDeviceUnits);
    if (kind == linkrules::EntryKind::kUnusable)
        return 0;
    if (kind == linkrules::EntryKind::kRecording)
        return ChooseRecording(owner, device, std::size(device)) ? OpenRecording(owner, device) : 0;
    if (baudIndex < 0 || baudIndex >= kBaudRateCount)
        return 0;
    return OpenDevice(owner, device, true, baudIndex);
}
