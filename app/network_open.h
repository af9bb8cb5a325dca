// Opening a network source without holding the window: the name lookup and
// the connection (which may take seconds for a host that does not answer)
// run on a thread of their own, while the user-interface thread goes on
// answering what other threads and programs send it and painting.
#pragma once

#include <windows.h>

#include "link/byte_source.h"
#include "link/chosen_source.h"

// 1 while OpenNetworkAnswering waits: a WM_CLOSE sent meanwhile is posted
// again for later instead of destroying the window under the open.
extern int32_t g_networkOpening;

// OpenNetworkSource on a worker thread. Until it is done, only sent messages
// and paints are handled here: no click, key or timer runs inside the open,
// so nothing can start a second one. The open itself is bounded (the
// connection's wait; a name lookup as the system bounds it).
linkrules::ByteSourcePtr OpenNetworkAnswering(const linkrules::SourceSpec& spec, uint32_t* error);
