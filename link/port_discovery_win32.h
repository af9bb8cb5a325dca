// Serial port discovery through SetupAPI, and the rescan of the port list.
#pragma once

#include <windows.h>

#include <cstdint>

// Serial ports listed by the last enumeration (at most the 20 records of the
// known-port table).
extern int8_t PortCount;

// Appends every present device whose friendly name contains "(COM" to the
// setup panel's IDC_PORT list and counts them in PortCount. Ports beyond the
// known-port table's 20 records are not listed.
void EnumeratePorts(HWND setupPanel);

// The "Scan Com Port" action: rebuilds the list from the known-port table,
// unless a link is open or a rescan already runs.
void RescanPorts(HWND setupPanel, int32_t linkOpen, int32_t* rescanBusy);

// Rebuilds the port list from the known-port table that the last
// enumeration filled.
void RefillPortList(HWND setupPanel);
