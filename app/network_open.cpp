#include "app/network_open.h"

#include <atomic>
#include <memory>

#include "link/network_sources_win32.h"
#include "win32/unique_handle.h"

namespace {

// The worker and the waiting thread each hold one reference: a wait that
// gives up leaves the worker to free it when its open returns.
struct PendingOpen {
    linkrules::SourceSpec spec;
    linkrules::ByteSourcePtr source;
    uint32_t error = 0;
    UniqueHandle done;
    std::atomic<int> owners{2};
};

void Release(PendingOpen* pending) {
    if (pending->owners.fetch_sub(1) == 1)
        delete pending;
}

DWORD WINAPI RunOpen(void* parameter) {
    auto* pending = static_cast<PendingOpen*>(parameter);
    pending->source = netlink::OpenNetworkSource(pending->spec, &pending->error);
    SetEvent(pending->done.get());
    Release(pending);
    return 0;
}

}  // namespace

int32_t g_networkOpening = 0;

linkrules::ByteSourcePtr OpenNetworkAnswering(const linkrules::SourceSpec& spec, uint32_t* error) {
    *error = 0;
    auto* pending = new PendingOpen;
    pending->spec = spec;
    pending->done.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    UniqueHandle thread;
    if (pending->done)
        thread.reset(CreateThread(nullptr, 0, RunOpen, pending, 0, nullptr));
    if (!thread) {
        // No worker: open here, as any other source is.
        delete pending;
        return netlink::OpenNetworkSource(spec, error);
    }
    HANDLE done = pending->done.get();
    g_networkOpening = 1;
    for (;;) {
        DWORD woke = MsgWaitForMultipleObjects(1, &done, FALSE, 50, QS_SENDMESSAGE | QS_PAINT);
        if (woke == WAIT_OBJECT_0)
            break;
        MSG msg;
        // Sent messages are handled inside PeekMessage itself; paints are
        // dispatched; every posted message stays queued for the real loop.
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        while (PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE))
            DispatchMessageW(&msg);
    }
    g_networkOpening = 0;
    linkrules::ByteSourcePtr source = std::move(pending->source);
    *error = pending->error;
    Release(pending);
    return source;
}
