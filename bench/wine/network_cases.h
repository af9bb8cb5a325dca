// The network sources' bad cases against the real window, with the answer
// probe running: a host that does not resolve, a port out of range, a
// server that sends 50 MB without a line feed, one that sends NUL bytes and
// binary, one that accepts and never sends. Each reports how the window
// answered meanwhile and what it showed.
#pragma once

class CBaseWnd;

int BadServers(CBaseWnd& window, double (*clock)());
