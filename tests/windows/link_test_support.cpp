#include "tests/windows/link_test_support.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "link/link_state_win32.h"
#include "link/link_win32.h"
#include "link/log_file_win32.h"
#include "res/resource.h"
#include "win32/messages.h"
#include "win32/wide_text.h"

namespace link_test {

namespace {

const wchar_t kSinkClass[] = L"SkyloomLinkTestSink";
const wchar_t kPanelClass[] = L"SkyloomLinkTestPanel";

void RegisterOnce(const wchar_t* name, WNDPROC proc) {
    WNDCLASSW wc{};
    if (GetClassInfoW(GetModuleHandleW(nullptr), name, &wc))
        return;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = name;
    RegisterClassW(&wc);
}

}  // namespace

LineSink::LineSink() {
    RegisterOnce(kSinkClass, Proc);
    hwnd_ = CreateWindowExW(0, kSinkClass, L"Skyloom", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr,
                            nullptr, GetModuleHandleW(nullptr), this);
}

LineSink::~LineSink() {
    DestroyWindow(hwnd_);
}

LRESULT CALLBACK LineSink::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<LineSink*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == WM_TIMER && wParam == TIMER_AUTO_SEND && self != nullptr) {
        ++self->autoSendTicks;
        return 0;
    }
    if (message == UM_PORT_LOST && self != nullptr) {
        self->portsLost.push_back(wParam);
        return 0;
    }
    if (message == UM_LINE_RECEIVED && self != nullptr) {
        const wchar_t* line = ClaimDeliveredLine(wParam);
        if (line == nullptr) {
            ++self->unclaimed;
            return 0;
        }
        std::u16string text(reinterpret_cast<const char16_t*>(line));
        WriteLogLine(text.c_str(), text.size());
        self->lines.push_back(text);
        if (self->onLine)
            self->onLine(text);
        return 1;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

FakePanel::FakePanel() {
    RegisterOnce(kPanelClass, DefWindowProcW);
    parent_ = CreateWindowExW(0, kPanelClass, L"panel", WS_OVERLAPPEDWINDOW, 0, 0, 600, 400,
                              nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    panel.Create(parent_);
}

FakePanel::~FakePanel() {
    DestroyWindow(parent_);
}

void FakePanel::SetPorts(const std::vector<std::wstring>& entries, int selected) {
    HWND list = Item(IDC_PORT);
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    for (const std::wstring& entry : entries)
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    SendMessageW(list, CB_SETCURSEL, selected, 0);
}

void FakePanel::SetText(int id, const std::wstring& text) {
    SetWindowTextW(Item(id), text.c_str());
}

bool FakePanel::Checked(int id) const {
    return SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void FakePanel::Check(int id, bool checked) {
    SendMessageW(Item(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

Rig::Rig() : control(panel.panel, statusPanel, status, host) {
    control.SetOwner(sink.hwnd());
    panel.panel.mainWindow = sink.hwnd();
}

bool Play(Link& link, HWND target, const std::wstring& path) {
    linkrules::SourceSpec spec;
    spec.kind = linkrules::SourceKind::kRecording;
    spec.device = AsText16(path.c_str());
    return link.Open(spec, target).ok();
}

void FakeSource::Script::Add(Step step) {
    std::lock_guard<std::mutex> hold(lock);
    steps.push_back(std::move(step));
    changed.notify_all();
}

void FakeSource::Script::Release() {
    std::lock_guard<std::mutex> hold(lock);
    holdReads = false;
    changed.notify_all();
}

bool FakeSource::Script::Waiting() {
    std::lock_guard<std::mutex> hold(lock);
    return waiting;
}

int FakeSource::Script::Closes() {
    std::lock_guard<std::mutex> hold(lock);
    return closes;
}

std::string FakeSource::Script::Written() {
    std::lock_guard<std::mutex> hold(lock);
    return written;
}

linkrules::ReadResult FakeSource::Read(uint8_t* buffer, size_t capacity) {
    std::unique_lock<std::mutex> hold(script_->lock);
    script_->waiting = script_->steps.empty() || script_->holdReads;
    // The bounded wait of a real source: the reader checks its run flag.
    script_->changed.wait_for(hold, std::chrono::milliseconds(100), [&] {
        return script_->holdReads ? false : (script_->cancelled || !script_->steps.empty());
    });
    while (script_->holdReads)
        script_->changed.wait(hold);
    script_->waiting = false;
    if (script_->cancelled)
        return {linkrules::ReadStatus::kCancelled, 0};
    if (script_->steps.empty())
        return {linkrules::ReadStatus::kSilence, 0};
    Step& step = script_->steps.front();
    if (step.status != linkrules::ReadStatus::kData) {
        const linkrules::ReadStatus status = step.status;
        script_->steps.pop_front();
        return {status, 0};
    }
    const size_t n = std::min(capacity, step.bytes.size());
    std::copy(step.bytes.begin(), step.bytes.begin() + static_cast<std::ptrdiff_t>(n), buffer);
    step.bytes.erase(0, n);
    if (step.bytes.empty())
        script_->steps.pop_front();
    return {linkrules::ReadStatus::kData, n};
}

bool FakeSource::Write(const uint8_t* bytes, size_t count) {
    std::lock_guard<std::mutex> hold(script_->lock);
    script_->written.append(reinterpret_cast<const char*>(bytes), count);
    return true;
}

void FakeSource::Cancel() {
    std::lock_guard<std::mutex> hold(script_->lock);
    script_->cancelled = true;
    script_->changed.notify_all();
}

void FakeSource::Close() {
    std::lock_guard<std::mutex> hold(script_->lock);
    ++script_->closes;
}

DialogAnswer::DialogAnswer(std::wstring path, std::wstring title) {
    thread_ = std::thread([this, path, title]() {
        for (int i = 0; i < 1000; ++i) {
            HWND dialog = FindWindowW(nullptr, title.c_str());
            if (dialog != nullptr && IsWindowVisible(dialog)) {
                HWND types = GetDlgItem(dialog, 0x470);  // cmb1, the file types
                const LRESULT count = SendMessageW(types, CB_GETCOUNT, 0, 0);
                for (LRESULT k = 0; k < count; ++k) {
                    wchar_t type[MAX_PATH] = {};
                    SendMessageW(types, CB_GETLBTEXT, k, reinterpret_cast<LPARAM>(type));
                    fileTypes.push_back(type);
                }
                if (path.empty()) {
                    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                } else {
                    HWND name = GetDlgItem(dialog, 0x47c);  // cmb13, the file name box
                    if (name == nullptr)
                        name = GetDlgItem(dialog, 0x480);  // edt1, in a dialog without cmb13
                    SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
                    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
                }
                answered_ = true;
                return;
            }
            Sleep(10);
        }
    });
}

void DialogAnswer::Finish() {
    if (thread_.joinable())
        thread_.join();
}

DialogAnswer::~DialogAnswer() {
    Finish();
}

AddressAnswer::AddressAnswer(std::vector<std::wstring> texts, bool cancel) {
    thread_ = std::thread([this, texts, cancel]() {
        HWND dialog = nullptr;
        for (int i = 0; i < 1000 && !dialog; ++i) {
            dialog = FindWindowW(nullptr, L"Network Receiver");
            if (!dialog || !IsWindowVisible(dialog)) {
                dialog = nullptr;
                Sleep(10);
            }
        }
        if (!dialog)
            return;
        offered = win_test::ItemText(dialog, IDC_NET_ADDRESS);
        for (const std::wstring& text : texts) {
            SetDlgItemTextW(dialog, IDC_NET_ERROR, L"");
            SetDlgItemTextW(dialog, IDC_NET_ADDRESS, text.c_str());
            // Sent, not posted: the dialog has handled OK when this returns.
            SendMessageW(dialog, WM_COMMAND, IDOK, 0);
            errors.push_back(IsWindow(dialog) ? win_test::ItemText(dialog, IDC_NET_ERROR) : L"");
        }
        if (cancel && IsWindow(dialog))
            SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
}

void AddressAnswer::Finish() {
    if (thread_.joinable())
        thread_.join();
}

AddressAnswer::~AddressAnswer() {
    Finish();
}

std::wstring ScratchDir() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring dir = std::wstring(temp) + L"skyloom_link_test";
    CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

std::string ReadBytes(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "<missing>";
    std::string bytes;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0)
        bytes.append(chunk, got);
    CloseHandle(file);
    return bytes;
}

std::wstring SourcePath(const char* relative) {
    std::string unix = std::string(SKYLOOM_SOURCE_DIR) + "/" + relative;
    std::wstring path = L"Z:";
    for (char c : unix)
        path.push_back(c == '/' ? L'\\' : static_cast<wchar_t>(c));
    return path;
}

namespace {

// A line for a failure message: printable ASCII as it is, the rest as \uXXXX.
std::string Shown(const std::u16string& line) {
    std::string out;
    for (char16_t c : line) {
        if (c >= 0x20 && c < 0x7F) {
            out.push_back(static_cast<char>(c));
        } else {
            char code[8];
            snprintf(code, sizeof code, "\\u%04X", static_cast<unsigned>(c));
            out += code;
        }
    }
    return out;
}

}  // namespace

::testing::AssertionResult AwaitLine(const LineSink& sink, const std::u16string& line,
                                     size_t from) {
    auto arrived = [&] {
        return sink.lines.size() > from &&
               std::find(sink.lines.begin() + static_cast<std::ptrdiff_t>(from), sink.lines.end(),
                         line) != sink.lines.end();
    };
    if (PumpUntil(arrived, kAwaitMs))
        return ::testing::AssertionSuccess();
    auto failure = ::testing::AssertionFailure();
    failure << "timed out after " << kAwaitMs << " ms waiting for the line \"" << Shown(line)
            << "\"; " << sink.lines.size() << " lines came, the last: \""
            << (sink.lines.empty() ? std::string() : Shown(sink.lines.back())) << "\"";
    return failure;
}

::testing::AssertionResult AwaitLinkStates(int left) {
    if (PumpUntil([&] { return LiveLinkStates() == left; }, kAwaitMs))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "timed out after " << kAwaitMs << " ms waiting for " << left << " link states; "
           << LiveLinkStates() << " remain";
}

std::vector<std::u16string> ExpectedLines(const std::string& bytes) {
    std::vector<std::u16string> lines;
    std::u16string line;
    for (char c : bytes) {
        line.push_back(static_cast<char16_t>(static_cast<int16_t>(static_cast<int8_t>(c))));
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        }
    }
    return lines;
}

}  // namespace link_test
