// Discovery through SetupAPI against devices registered in the test prefix,
// the rescan built from what it found, and the list rebuilt as devices come
// and go.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "link/link_state_win32.h"
#include "link/link_win32.h"
#include "link/port_discovery_win32.h"
#include "res/resource.h"
#include "tests/windows/link_test_support.h"

namespace {

const wchar_t kEnumRoot[] = L"System\\CurrentControlSet\\Enum\\ROOT\\PORTS";

// Registers devices under ROOT\PORTS\C1T<n> with these friendly names and
// removes them again at the end.
class RegisteredDevices {
  public:
    explicit RegisteredDevices(const std::vector<std::wstring>& names) {
        for (size_t i = 0; i < names.size(); ++i) {
            std::wstring key = std::wstring(kEnumRoot) + L"\\C1T" + std::to_wstring(i);
            HKEY handle = nullptr;
            if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                nullptr, &handle, nullptr) != ERROR_SUCCESS)
                continue;
            keys_.push_back(key);
            Set(handle, L"FriendlyName", names[i]);
            Set(handle, L"ClassGUID", L"{4D36E978-E325-11CE-BFC1-08002BE10318}");
            Set(handle, L"Class", L"Ports");
            RegCloseKey(handle);
        }
    }
    ~RegisteredDevices() {
        for (const std::wstring& key : keys_)
            RegDeleteTreeW(HKEY_LOCAL_MACHINE, key.c_str());
    }
    size_t count() const { return keys_.size(); }

  private:
    static void Set(HKEY key, const wchar_t* name, const std::wstring& value) {
        RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
    std::vector<std::wstring> keys_;
};

std::vector<std::wstring> Entries(HWND panel) {
    std::vector<std::wstring> entries;
    HWND list = GetDlgItem(panel, IDC_PORT);
    LRESULT n = SendMessageW(list, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
        wchar_t text[256] = {};
        if (SendMessageW(list, CB_GETLBTEXTLEN, i, 0) < 256)
            SendMessageW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        entries.push_back(text);
    }
    return entries;
}

// The enumeration into the panel's list, with nothing else in it.
void Enumerate(link_test::FakePanel& panel) {
    panel.panel.ClearPortList();
    EnumeratePorts(panel.panel.PortList());
}

// Ports the prefix already has (another test may have registered a receiver).
int PortsAlreadyThere() {
    link_test::FakePanel panel;
    Enumerate(panel);
    int count = PortCount;
    PortCount = 0;
    return count;
}

int Selected(HWND panel) {
    return static_cast<int>(SendDlgItemMessageW(panel, IDC_PORT, CB_GETCURSEL, 0, 0));
}

}  // namespace

TEST(Discovery, ListsTheComPortsOfTheSystemAndRescansThemFromItsTable) {
    const int before = PortsAlreadyThere();
    ASSERT_LE(before, 10);
    RegisteredDevices devices(
        {L"Test Adapter (COM7)", L"Lower Case Adapter (com8)", L"GPS Receiver (COM9)"});
    ASSERT_EQ(devices.count(), 3u);

    link_test::Rig rig;
    link_test::FakePanel& panel = rig.panel;
    PortCount = 5;
    Enumerate(panel);
    ASSERT_EQ(PortCount, before + 2);
    std::vector<std::wstring> found = Entries(panel.hwnd());
    ASSERT_EQ(found.size(), static_cast<size_t>(before + 2));
    // The enumeration keeps the system's order; the lower-case name is not a port.
    auto listed = [&](const wchar_t* name) {
        return std::count(found.begin(), found.end(), std::wstring(name));
    };
    EXPECT_EQ(listed(L"Test Adapter (COM7)"), 1);
    EXPECT_EQ(listed(L"GPS Receiver (COM9)"), 1);
    EXPECT_EQ(listed(L"Lower Case Adapter (com8)"), 0);

    // The rescan lists the same ports in the same order, each openable, and
    // selects the receiver without a playback entry.
    int32_t& busy = panel.panel.RescanBusy;
    rig.control.RescanPorts();
    EXPECT_EQ(busy, 0);
    EXPECT_TRUE(IsWindowEnabled(panel.Item(IDC_START_GPS)));
    std::vector<std::wstring> rescanned = Entries(panel.hwnd());
    ASSERT_EQ(rescanned.size(), found.size());
    int receiver = -1;
    for (size_t i = 0; i < found.size(); ++i) {
        if (found[i] == L"GPS Receiver (COM9)") {
            EXPECT_EQ(rescanned[i], L"COM9:  GPS Receiver");
            receiver = static_cast<int>(i);
        } else if (found[i] == L"Test Adapter (COM7)") {
            EXPECT_EQ(rescanned[i], L"COM7:  Test Adapter");
        }
    }
    EXPECT_EQ(Selected(panel.hwnd()), receiver);
    EXPECT_EQ(PortCount, before + 2);

    // With a link open, or while a rescan runs, the list stays as it is.
    SendDlgItemMessageW(panel.hwnd(), IDC_PORT, CB_RESETCONTENT, 0, 0);
    rig.linkOpen = 1;
    rig.control.RescanPorts();
    rig.linkOpen = 0;
    busy = 1;
    rig.control.RescanPorts();
    busy = 0;
    EXPECT_TRUE(Entries(panel.hwnd()).empty());
    PortCount = 0;
}

TEST(Discovery, WithoutPortsTheListStaysEmptyAndARescanSaysSo) {
    if (PortsAlreadyThere() != 0)
        GTEST_SKIP() << "the prefix has serial ports registered";
    link_test::Rig rig;
    link_test::FakePanel& panel = rig.panel;
    PortCount = 3;
    Enumerate(panel);
    EXPECT_EQ(PortCount, 0);
    EXPECT_TRUE(Entries(panel.hwnd()).empty());

    rig.control.RescanPorts();
    EXPECT_TRUE(Entries(panel.hwnd()).empty());
    EXPECT_EQ(win_test::WindowText(panel.Item(IDC_PORT)), L"No Com Port Find!!");
}

TEST(Discovery, NoMoreThanTwentyPortsAreListed) {
    std::vector<std::wstring> names;
    for (int i = 0; i < 23; ++i)
        names.push_back(L"Adapter " + std::to_wstring(i) + L" (COM" + std::to_wstring(30 + i) +
                        L")");
    RegisteredDevices devices(names);
    ASSERT_EQ(devices.count(), 23u);
    link_test::Rig rig;
    link_test::FakePanel& panel = rig.panel;
    Enumerate(panel);
    EXPECT_EQ(PortCount, 20);
    EXPECT_EQ(Entries(panel.hwnd()).size(), 20u);
    rig.control.RescanPorts();
    std::vector<std::wstring> rescanned = Entries(panel.hwnd());
    ASSERT_EQ(rescanned.size(), 21u);  // none of these is described "GPS Receiver"
    EXPECT_EQ(rescanned.back(), L"Log File:");
    EXPECT_EQ(Selected(panel.hwnd()), 0);
    PortCount = 0;
}

namespace {

// An enumeration that finds exactly these ports.
LinkControl::PortEnumerator Finding(const std::vector<std::u16string>* ports) {
    return [ports](linkrules::PortListSink& list) {
        for (const std::u16string& port : *ports)
            list.Add(port.c_str());
    };
}

// What the list would read after a device notice has settled.
std::vector<std::u16string> WithPlayback(std::vector<std::u16string> ports) {
    ports.push_back(u"Network:");
    ports.push_back(u"Log File:");
    return ports;
}

}  // namespace

TEST(PortListRefresh, KeepsTheChosenPortChoosesOneJustPluggedInAndEndsWithPlayback) {
    const std::wstring a3 = L"Adapter (COM3)", b4 = L"Bridge (COM4)", net = L"Network:",
                       log = L"Log File:";
    const struct {
        const char* what;
        std::vector<std::wstring> before;
        int selected;
        std::vector<std::u16string> now;
        int expected;
    } cases[] = {
        {"the chosen port stays chosen where it now is",
         {a3, b4, L"Cable (COM5)", log},
         1,
         {u"Cable (COM5)", u"Adapter (COM3)", u"Bridge (COM4)"},
         2},
        {"a single new port is the one just plugged in",
         {a3, log},
         0,
         {u"Adapter (COM3)", u"GPS (COM7)"},
         1},
        {"... even over an earlier choice",
         {a3, b4, log},
         1,
         {u"GPS (COM7)", u"Adapter (COM3)", u"Bridge (COM4)"},
         0},
        {"two new ports: the choice stays",
         {a3, b4, log},
         1,
         {u"GPS (COM7)", u"Adapter (COM3)", u"GPS (COM8)", u"Bridge (COM4)"},
         3},
        {"the chosen port gone: the first entry", {a3, b4, log}, 1, {u"Adapter (COM3)"}, 0},
        {"playback stays chosen", {a3, b4, net, log}, 3, {u"Bridge (COM4)"}, 2},
        {"the network entry stays chosen", {a3, net, log}, 1, {u"Adapter (COM3)"}, 1},
        {"a port renamed by its driver is no new port",
         {a3, b4, log},
         1,
         {u"Adapter (COM3)", u"USB Serial (COM4)"},
         1},
        {"the rescan's entries are the same ports",
         {L"COM3:  Adapter", L"COM4:  Bridge", log},
         1,
         {u"Adapter (COM3)", u"Bridge (COM4)"},
         1},
        {"the first port of all", {log}, 0, {u"GPS (COM7)"}, 0},
        {"every port gone: playback", {a3, net, log}, 0, {}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        link_test::Rig rig;
        rig.panel.SetPorts(c.before, c.selected);
        rig.control.SetPortEnumerator(Finding(&c.now));
        rig.control.OnDeviceNotice(false, nullptr);
        EXPECT_TRUE(rig.control.OnPortsSettled());
        EXPECT_EQ(rig.panel.panel.PortEntries(), WithPlayback(c.now));
        EXPECT_EQ(Selected(rig.panel.hwnd()), c.expected);
        EXPECT_EQ(PortCount, static_cast<int>(c.now.size()));
    }
    PortCount = 0;
}

TEST(PortListRefresh, WaitsForTheOpenLinkToCloseAndForTheDropDownToBeClosed) {
    link_test::Rig rig;
    const std::vector<std::wstring> before = {L"Adapter (COM3)", L"Log File:"};
    const std::vector<std::u16string> now = {u"Adapter (COM3)", u"GPS (COM7)"};
    rig.panel.SetPorts(before, 0);
    rig.control.SetPortEnumerator(Finding(&now));
    const auto untouched = rig.panel.panel.PortEntries();

    // A link open (a recording will do): the list waits for its close.
    const std::wstring path = link_test::ScratchDir() + L"\\refresh.pgl";
    link_test::WriteBytes(path, "$GPGLL,1*00\r\n");
    ASSERT_TRUE(link_test::Play(rig.control.link(), rig.sink.hwnd(), path));
    rig.linkOpen = 1;
    rig.control.OnDeviceNotice(false, nullptr);
    EXPECT_TRUE(rig.control.OnPortsSettled());
    EXPECT_EQ(rig.panel.panel.PortEntries(), untouched);
    EXPECT_EQ(rig.control.ToggleLink(), 1);
    EXPECT_EQ(rig.panel.panel.PortEntries(), WithPlayback(now));
    EXPECT_EQ(Selected(rig.panel.hwnd()), 1);

    // The user has the list dropped down: ask again later.
    rig.panel.SetPorts(before, 0);
    ShowWindow(GetParent(rig.panel.hwnd()), SW_SHOW);
    SendMessageW(rig.panel.Item(IDC_PORT), CB_SHOWDROPDOWN, TRUE, 0);
    ASSERT_TRUE(rig.panel.panel.PortListDropped());
    rig.control.OnDeviceNotice(true, nullptr);
    EXPECT_FALSE(rig.control.OnPortsSettled());
    EXPECT_EQ(rig.panel.panel.PortEntries(), untouched);
    SendMessageW(rig.panel.Item(IDC_PORT), CB_SHOWDROPDOWN, FALSE, 0);
    EXPECT_TRUE(rig.control.OnPortsSettled());
    EXPECT_EQ(rig.panel.panel.PortEntries(), WithPlayback(now));
    EXPECT_TRUE(link_test::AwaitLinkStates(0));
    PortCount = 0;
}
