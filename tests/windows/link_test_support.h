// Stand-ins for the windows around the receiver link: a main window that
// takes the reader's lines through ClaimDeliveredLine (and logs them, as the
// intake does), the real setup panel on a window of its own, and an intake
// host that records the console notes. With them the link and the main
// window's control of it run in the test process without the application.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/link_control.h"
#include "link/byte_source.h"
#include "link/link_win32.h"
#include "nmea/intake_host.h"
#include "nmea/receiver_model.h"
#include "panels/setup_panel.h"
#include "panels/status_panel.h"
#include "tests/windows/win_test_support.h"

namespace link_test {

// Bound for "does not hang": a close that waited on a reader blocked in its
// hand-over would never return, so any finite bound catches it. Seconds, not
// milliseconds, so that a loaded machine cannot fail it.
constexpr DWORD kNoHangMs = 10000;

class LineSink {
  public:
    LineSink();
    ~LineSink();
    LineSink(const LineSink&) = delete;
    LineSink& operator=(const LineSink&) = delete;

    HWND hwnd() const { return hwnd_; }

    std::vector<std::u16string> lines;  // every claimed line, line feed included
    int unclaimed = 0;                  // UM_LINE_RECEIVED that ClaimDeliveredLine refused
    int autoSendTicks = 0;              // WM_TIMER of TIMER_AUTO_SEND
    std::vector<WPARAM> portsLost;      // UM_PORT_LOST, by link number
    std::function<void(const std::u16string&)> onLine;

  private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
};

class FakePanel {
  public:
    FakePanel();
    ~FakePanel();
    FakePanel(const FakePanel&) = delete;
    FakePanel& operator=(const FakePanel&) = delete;

    HWND hwnd() const { return panel.hwnd; }
    HWND Item(int id) const { return GetDlgItem(panel.hwnd, id); }
    // Replaces the port list by these entries and selects `selected` (-1: none).
    void SetPorts(const std::vector<std::wstring>& entries, int selected);
    void SetText(int id, const std::wstring& text);
    bool Checked(int id) const;
    void Check(int id, bool checked);

    CBackupDlg panel;

  private:
    HWND parent_ = nullptr;
};

class FakeHost : public IntakeHost {
  public:
    int ConsoleLineCount() override { return 0; }
    void ConsoleClear() override {}
    void ConsoleInsert(const char16_t* text) override { notes.push_back(text); }
    void SetConsoleColor(uint32_t) override {}
    void EnableResetButtons() override {}
    void SetSbasCheck(bool) override {}
    void SetCoreVersion(const char16_t*) override {}
    void SetFirmwareVersion(const char16_t*) override {}
    void WriteLogLine(const char16_t*, size_t) override {}
    void Redraw() override {}
    void SetCaption(const char16_t*) override {}
    uint32_t TickCount() override { return GetTickCount(); }
    bool UtcToLocal(const CivilTime& utc, CivilTime* local) override {
        *local = utc;
        return true;
    }
    std::vector<std::u16string> notes;
};

// The main window's control of the link, wired to the stand-ins.
struct Rig {
    Rig();
    LineSink sink;
    FakePanel panel;
    FakeHost host;
    ReceiverModel status{};
    CRestoreDlg statusPanel{status};  // never created: the control only sets its offset
    int32_t& linkOpen = panel.panel.LinkOpen;
    LinkControl control;
};

// Plays the recording at `path` on `link`, its lines going to `target`.
bool Play(Link& link, HWND target, const std::wstring& path);

// A byte source that the test scripts, to drive the reader without a port.
// Each Read takes the next step; with none left it waits, as a quiet source
// does, until a step comes or Cancel. The script outlives the source, which
// the link destroys when its reader lets go.
class FakeSource : public linkrules::ByteSource {
  public:
    struct Step {
        linkrules::ReadStatus status;
        std::string bytes;  // kData
    };
    struct Script {
        std::mutex lock;
        std::condition_variable changed;
        std::deque<Step> steps;
        bool live = true;
        bool takesCommands = true;
        bool holdReads = false;  // a Read that ignores Cancel until released
        bool cancelled = false;
        bool waiting = false;  // a Read waits with nothing left to give
        int closes = 0;
        std::string written;
        void Add(Step step);
        void Release();
        bool Waiting();
        int Closes();
        std::string Written();
    };
    explicit FakeSource(std::shared_ptr<Script> script) : script_(std::move(script)) {}

    linkrules::ReadResult Read(uint8_t* buffer, size_t capacity) override;
    bool Write(const uint8_t* bytes, size_t count) override;
    void Cancel() override;
    void Close() override;
    std::u16string Description() const override { return u"fake"; }
    bool Live() const override { return script_->live; }
    bool TakesCommands() const override { return script_->takesCommands; }

  private:
    std::shared_ptr<Script> script_;
};

// Answers the next file dialog of that title from a second thread: types
// `path` into its file name box and presses OK, or presses Cancel when path
// is empty.
class DialogAnswer {
  public:
    explicit DialogAnswer(std::wstring path, std::wstring title = L"Open Recording");
    ~DialogAnswer();
    bool answered() const { return answered_.load(); }
    // Waits for the answering thread; then fileTypes holds the file types
    // the dialog offered.
    void Finish();
    std::vector<std::wstring> fileTypes;

  private:
    std::thread thread_;
    std::atomic<bool> answered_{false};  // set by the answering thread
};

using win_test::kAwaitMs;

// Answers the next "Network Receiver" dialog from a second thread: types
// each text in turn and presses OK, keeping what the error line said after
// each (empty once the dialog took it); presses Cancel after the last one
// when `cancel` is set. `offered` is what the field held when it came.
class AddressAnswer {
  public:
    explicit AddressAnswer(std::vector<std::wstring> texts, bool cancel = false);
    ~AddressAnswer();
    void Finish();
    std::wstring offered;
    std::vector<std::wstring> errors;

  private:
    std::thread thread_;
};

using win_test::PumpFor;
using win_test::PumpPending;
using win_test::PumpUntil;

// Pumps until the sink holds `line` at index `from` or later: the line a test
// awaits by its text, since a count can be met by a line late from a closed
// link. The failure names the line and what came instead.
::testing::AssertionResult AwaitLine(const LineSink& sink, const std::u16string& line,
                                     size_t from = 0);
// Pumps until `left` link states remain (0: every reader has ended).
::testing::AssertionResult AwaitLinkStates(int left);

// A scratch directory in the Wine prefix's temporary folder, made when missing;
// files are written whole (CREATE_ALWAYS), so earlier runs' leftovers do not matter.
std::wstring ScratchDir();
void WriteBytes(const std::wstring& path, const std::string& bytes);
std::string ReadBytes(const std::wstring& path);
// A file of the source tree (a Unix path) as a Windows path through drive Z:.
std::wstring SourcePath(const char* relative);

// The lines a reader must deliver for these bytes: every line feed ends one,
// each byte widened with its sign, a tail without line feed never delivered.
// (Only for inputs whose lines stay within 510 characters.)
std::vector<std::u16string> ExpectedLines(const std::string& bytes);

}  // namespace link_test
