// Serial port discovery through SetupAPI, and the rescan's rebuilt list.
#pragma once

#include <cstdint>

#include "link/known_ports.h"

// Serial ports listed by the last enumeration (at most the 20 records of the
// known-port table).
extern int8_t PortCount;

// Adds every present device whose friendly name contains "(COM" to `list`
// and counts them in PortCount. Ports beyond the known-port table's 20
// records are not listed.
void EnumeratePorts(linkrules::PortListSink& list);

// Rebuilds `list` from the known-port table that the last enumeration filled.
void RefillPortList(linkrules::PortListSink& list);
