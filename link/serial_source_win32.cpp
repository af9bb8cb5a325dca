#include "link/serial_source_win32.h"

#include <algorithm>

#include "link/port_refresh.h"
#include "win32/wide_text.h"

using linkrules::ReadResult;
using linkrules::ReadStatus;

namespace {

// A write that the port does not drain (a Bluetooth port out of range, a
// virtual port without its peer) must not hold the window for long: a second
// for a command sentence, plus the time its bytes take on the wire.
constexpr DWORD kWriteAllowanceMs = 1000;

// The port's own timeout for a read that finds nothing.
constexpr DWORD kSilenceMs = 100;
// A port read that brings nothing in less than this did not wait for the
// port's silence: the device is not there to wait on (Wine answers every read
// of a pulled pseudo-terminal at once).
constexpr DWORD kEarlyEmptyMs = kSilenceMs / 2;
// Reads in a row that show a dead device before the port counts as gone:
// about half a second of them, since a single failure is mostly mended by
// clearing the port's error state.
constexpr int kLostAfterDeadReads = 5;

// Ten bits a byte (start, eight data, stop), rounded up to whole milliseconds.
DWORD WireMsPerByte(uint32_t baud) {
    return (10000 + baud - 1) / baud;
}

bool ConfigurePort(HANDLE port, uint32_t baud) {
    if (baud == 0)
        return false;
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
    timeouts.ReadTotalTimeoutConstant = kSilenceMs;
    timeouts.WriteTotalTimeoutMultiplier = WireMsPerByte(baud);
    timeouts.WriteTotalTimeoutConstant = kWriteAllowanceMs;
    if (!SetCommTimeouts(port, &timeouts))
        return false;

    // What a previous user of the port left behind is not this receiver's.
    DWORD errors = 0;
    ClearCommError(port, &errors, nullptr);
    PurgeComm(port, PURGE_TXCLEAR | PURGE_RXCLEAR);
    ClearCommError(port, &errors, nullptr);
    return true;
}

}  // namespace

linkrules::ByteSourcePtr SerialSource::Open(const std::u16string& device, uint32_t baud,
                                            uint32_t* error) {
    *error = 0;
    UniqueFile port(CreateFileW(AsWide(device.c_str()), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    if (!port) {
        *error = GetLastError();
        return nullptr;
    }
    if (!ConfigurePort(port.get(), baud))
        return nullptr;
    UniqueHandle cancelled(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!cancelled) {
        *error = GetLastError();
        return nullptr;
    }
    return linkrules::ByteSourcePtr(
        new SerialSource(std::move(port), std::move(cancelled), device));
}

SerialSource::SerialSource(UniqueFile port, UniqueHandle cancelled, std::u16string device)
    : port_(std::move(port)), cancelled_(std::move(cancelled)), device_(std::move(device)) {}

void SerialSource::BackOff() {
    WaitForSingleObject(cancelled_.get(), kSilenceMs);
}

// How much one read asks for: exactly what the port holds, which a read
// returns at once, or one byte when it holds nothing, which waits for the
// next byte up to the port's 100 ms, so that a partial line is still ended by
// 100 ms of silence. Asking a port for more than it holds would wait out the
// whole 100 ms under Wine even with bytes waiting.
ReadResult SerialSource::Read(uint8_t* buffer, size_t capacity) {
    if (cancelRequested_.load())
        return {ReadStatus::kCancelled, 0};
    DWORD errors = 0;
    COMSTAT held{};
    // Clearing the error state also lets a port that aborted on an error
    // read again.
    const bool answered = ClearCommError(port_.get(), &errors, &held) != FALSE;
    const DWORD cap = static_cast<DWORD>(std::min<size_t>(capacity, MAXDWORD));
    const DWORD size = held.cbInQue == 0 ? 1 : std::min<DWORD>(held.cbInQue, cap);

    const DWORD started = GetTickCount();
    DWORD got = 0;
    const BOOL ok = ReadFile(port_.get(), buffer, size, &got, nullptr);
    const DWORD error = ok ? ERROR_SUCCESS : GetLastError();
    if (got != 0) {
        deadReads_ = 0;
        lastReadFailed_ = false;
        return {ReadStatus::kData, got};
    }
    if (cancelRequested_.load())
        return {ReadStatus::kCancelled, 0};
    const bool early = ok && GetTickCount() - started < kEarlyEmptyMs;
    if (ok && answered && !early) {
        deadReads_ = 0;  // the port waited its silence out: it is there
        lastReadFailed_ = false;
        return {ReadStatus::kSilence, 0};
    }
    // A line error aborts a read until it is cleared: a receiver at the wrong
    // rate is still a receiver, however long it goes on.
    const bool lineError = error == ERROR_OPERATION_ABORTED;
    if (!lineError && ++deadReads_ >= kLostAfterDeadReads)
        return {ReadStatus::kLost, 0};
    // Never a busy loop on a port that answers nothing; a single failure is
    // retried at once.
    if (early || lastReadFailed_)
        BackOff();
    lastReadFailed_ = true;
    return {lineError ? ReadStatus::kLineError : ReadStatus::kSilence, 0};
}

bool SerialSource::Write(const uint8_t* bytes, size_t count) {
    DWORD written = 0;
    const bool sent = WriteFile(port_.get(), bytes, static_cast<DWORD>(count), &written, nullptr) &&
                      written == count;
    // A write that timed out leaves its rest in the driver: dropped, so that
    // the next command does not go out behind a cut one. The receive side is
    // never purged: it holds what the receiver said, its answer included.
    if (!sent)
        PurgeComm(port_.get(), PURGE_TXABORT | PURGE_TXCLEAR);
    return sent;
}

void SerialSource::Cancel() {
    cancelRequested_.store(true);
    SetEvent(cancelled_.get());
}

void SerialSource::Close() {
    port_.reset();
}

std::u16string SerialSource::Description() const {
    return linkrules::PortName(device_);
}
