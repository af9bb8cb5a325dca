#include "link/port_discovery_win32.h"

#include <windows.h>

#include <setupapi.h>

#include "link/known_ports.h"
#include "nmea/text16.h"
#include "win32/unique_handle.h"
#include "win32/wide_text.h"

int8_t PortCount = 0;

namespace {

linkrules::KnownPortTable g_knownPorts{};

constexpr size_t kFriendlyNameUnits = 200;

// A device information set is empty at INVALID_HANDLE_VALUE, like a file.
using DeviceList = UniqueAny<HDEVINFO, &SetupDiDestroyDeviceInfoList, static_cast<uintptr_t>(-1)>;

}  // namespace

void EnumeratePorts(linkrules::PortListSink& list) {
    PortCount = 0;
    DeviceList devices(
        SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES));
    if (!devices)
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
        list.Add(AsText16(name));
        ++PortCount;
    }
}

void RefillPortList(linkrules::PortListSink& list) {
    linkrules::RefillPortList(g_knownPorts, PortCount, list);
}
