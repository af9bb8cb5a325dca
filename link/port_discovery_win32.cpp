#include "link/port_discovery_win32.h"

#include <setupapi.h>

#include "link/known_ports.h"
#include "link/text16_win32.h"
#include "nmea/text16.h"
#include "res/resource.h"

int8_t PortCount = 0;

namespace {

linkrules::KnownPortTable g_knownPorts{};

constexpr size_t kFriendlyNameUnits = 200;

class DeviceList {
  public:
    explicit DeviceList(HDEVINFO set) : set_(set) {}
    ~DeviceList() {
        if (valid())
            SetupDiDestroyDeviceInfoList(set_);
    }
    DeviceList(const DeviceList&) = delete;
    DeviceList& operator=(const DeviceList&) = delete;
    bool valid() const { return set_ != INVALID_HANDLE_VALUE; }
    HDEVINFO get() const { return set_; }

  private:
    HDEVINFO set_;
};

class ComboPortList : public linkrules::PortListSink {
  public:
    explicit ComboPortList(HWND combo) : combo_(combo) {}
    void Clear() override { SendMessageW(combo_, CB_RESETCONTENT, 0, 0); }
    void Add(const char16_t* entry) override {
        SendMessageW(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(AsWide(entry)));
    }
    void SetEditText(const char16_t* text) override { SetWindowTextW(combo_, AsWide(text)); }
    void Select(int32_t position) override { SendMessageW(combo_, CB_SETCURSEL, position, 0); }

  private:
    HWND combo_;
};

}  // namespace

void EnumeratePorts(HWND setupPanel) {
    PortCount = 0;
    HWND list = GetDlgItem(setupPanel, IDC_PORT);
    DeviceList devices(
        SetupDiGetClassDevsW(nullptr, nullptr, setupPanel, DIGCF_PRESENT | DIGCF_ALLCLASSES));
    if (!devices.valid())
        return;
    for (DWORD index = 0;; ++index) {
        SP_DEVINFO_DATA device{};
        device.cbSize = sizeof device;
        if (!SetupDiEnumDeviceInfo(devices.get(), index, &device))
            break;
        wchar_t name[kFriendlyNameUnits] = {};
        if (!SetupDiGetDeviceRegistryPropertyW(devices.get(), &device, SPDRP_FRIENDLYNAME, nullptr,
                                               reinterpret_cast<BYTE*>(name), sizeof name, nullptr))
            continue;
        if (name[kFriendlyNameUnits - 1] != 0)  // filled to the end: no terminator
            continue;
        if (text16::Find(AsText16(name), "(COM") == nullptr)
            continue;
        // The table keeps what a rescan needs of each listed port; the list
        // stops where the table does, so the two always agree.
        if (!linkrules::RecordKnownPort(g_knownPorts, PortCount, AsText16(name)))
            break;
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
        ++PortCount;
    }
}

void RefillPortList(HWND setupPanel) {
    ComboPortList list(GetDlgItem(setupPanel, IDC_PORT));
    linkrules::RefillPortList(g_knownPorts, PortCount, list);
}

void RescanPorts(HWND setupPanel, int32_t linkOpen, int32_t* rescanBusy) {
    if (linkOpen != 0 || *rescanBusy != 0)
        return;
    HWND start = GetDlgItem(setupPanel, IDC_START_GPS);
    EnableWindow(start, FALSE);
    *rescanBusy = 1;
    RefillPortList(setupPanel);
    *rescanBusy = 0;
    EnableWindow(start, TRUE);
}
