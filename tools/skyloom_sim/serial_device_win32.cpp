// Windows serial device: a COM port, raw 8N1, reads that never wait.
#include <windows.h>

#include <string>

#include "tools/skyloom_sim/sim_platform.h"

namespace sim {
namespace {

std::wstring Widen(const std::string& text) {
    if (text.empty())
        return std::wstring();
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    if (n <= 0)
        return std::wstring();
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &wide[0], n);
    wide.resize(static_cast<size_t>(n - 1));
    return wide;
}

std::string ErrorText(DWORD code) {
    char text[256] = {};
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, text, sizeof text, nullptr);
    std::string s = n > 0 ? std::string(text, n) : "error " + std::to_string(code);
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r'))
        s.pop_back();
    return s;
}

class ComPort : public Device {
  public:
    explicit ComPort(HANDLE h) : handle_(h) {}
    ~ComPort() override { CloseHandle(handle_); }
    ComPort(const ComPort&) = delete;
    ComPort& operator=(const ComPort&) = delete;

    long Write(const char* data, size_t size) override {
        DWORD written = 0;
        if (!WriteFile(handle_, data, static_cast<DWORD>(size), &written, nullptr)) {
            error_ = GetLastError();
            return -1;
        }
        return static_cast<long>(written);
    }

    long Read(char* data, size_t size) override {
        DWORD got = 0;
        if (!ReadFile(handle_, data, static_cast<DWORD>(size), &got, nullptr)) {
            error_ = GetLastError();
            return -1;
        }
        return static_cast<long>(got);
    }

    std::string LastError() const override { return ErrorText(error_); }

  private:
    HANDLE handle_;
    DWORD error_ = 0;
};

}  // namespace

std::unique_ptr<Device> OpenSerialDevice(const std::string& path, long baud, std::string* error) {
    std::wstring name = Widen(path);
    if (name.compare(0, 4, L"\\\\.\\") != 0)
        name = L"\\\\.\\" + name;
    HANDLE h = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        *error = path + ": " + ErrorText(GetLastError());
        return nullptr;
    }
    auto device = std::make_unique<ComPort>(h);
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(h, &dcb)) {
        *error = path + ": not a serial port (" + ErrorText(GetLastError()) + ")";
        return nullptr;
    }
    dcb.BaudRate = static_cast<DWORD>(baud);
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    if (!SetCommState(h, &dcb)) {
        *error = path + ": can't set the port up (" + ErrorText(GetLastError()) + ")";
        return nullptr;
    }
    // Reads return at once with what has arrived; a write may take a second.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.WriteTotalTimeoutConstant = 1000;
    SetCommTimeouts(h, &timeouts);
    return device;
}

}  // namespace sim
