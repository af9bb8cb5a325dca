#include <algorithm>
#include <mutex>

#include "link/line_framer.h"
#include "link/link_state_win32.h"
#include "link/raw_recording_win32.h"
#include "link/serial_link_win32.h"
#include "win32/messages.h"

namespace {

// Readers still running, for ClaimDeliveredLine: a reader of a closed link may
// still be inside its hand-over, and its line is as genuine as a new one's.
std::mutex g_readersLock;
LinkState* g_readers = nullptr;

void Register(LinkState* state) {
    std::lock_guard<std::mutex> hold(g_readersLock);
    state->next = g_readers;
    g_readers = state;
}

void Unregister(LinkState* state) {
    std::lock_guard<std::mutex> hold(g_readersLock);
    for (LinkState** p = &g_readers; *p != nullptr; p = &(*p)->next) {
        if (*p == state) {
            *p = state->next;
            return;
        }
    }
}

// False when the link was closed and the line not sent.
bool HandOver(LinkState* state, const char16_t* line) {
    const wchar_t* text = reinterpret_cast<const wchar_t*>(line);
    state->handingOver.store(text);
    // CloseLink clears the run flag before it looks at handingOver, and this
    // thread announces itself before it looks at the run flag: either the
    // closer sees the hand-over and does not wait for the thread, or the
    // thread sees the close and does not send to a UI thread that waits.
    const bool open = state->run.load() != 0;
    if (open)
        SendMessageW(state->target, UM_LINE_RECEIVED, reinterpret_cast<WPARAM>(text), 0);
    state->handingOver.store(nullptr);
    return open;
}

// Ports and recordings alike are read a block at a time: a read costs a
// round trip through the system whatever its size.
constexpr DWORD kReadBlock = 4096;

// How much one read asks for. A recording: a block. A port: exactly what it
// holds, which a read returns at once, or one byte when it holds nothing,
// which waits for the next byte up to the port's 100 ms, so that a partial
// line is still ended by 100 ms of silence. Asking a port for more than it
// holds would wait out the whole 100 ms under Wine even with bytes waiting.
DWORD ReadSize(const LinkState& state) {
    if (!state.isPort)
        return kReadBlock;
    DWORD errors = 0;
    COMSTAT held{};
    // Clearing the error state also lets a port that aborted on an error
    // read again.
    ClearCommError(state.device.get(), &errors, &held);
    return held.cbInQue == 0 ? 1 : std::min<DWORD>(held.cbInQue, kReadBlock);
}

DWORD WINAPI LinkReader(void* parameter) {
    LinkState* state = static_cast<LinkState*>(parameter);
    LineFramer framer;
    uint8_t block[kReadBlock];
    bool lastReadFailed = false;
    while (state->run.load() != 0) {
        DWORD got = 0;
        BOOL ok = ReadFile(state->device.get(), block, ReadSize(*state), &got, nullptr);
        if (got == 0) {
            framer.Interrupt();
            // A pulled cable fails every read at once and a recording at its
            // end returns nothing at once: wait as long as a port's silence
            // timeout instead of spinning. A single failure is retried at once,
            // since clearing the port's error state usually mends it.
            if ((!ok && lastReadFailed) || (ok && !state->isPort)) {
                if (state->stopEvent)
                    WaitForSingleObject(state->stopEvent.get(), 100);
                else
                    Sleep(100);
            }
            lastReadFailed = !ok;
            continue;
        }
        lastReadFailed = false;
        if (state->isPort)
            RecordRawBytes(block, got);  // before framing: every byte, as the port gave it
        for (DWORD i = 0; i < got; ++i) {
            if (framer.Feed(block[i]) == LineFramer::Result::kLine &&
                !HandOver(state, framer.line()))
                break;
        }
    }
    ReleaseLinkState(state);
    return 0;
}

}  // namespace

LinkState* StartLinkReader(HANDLE device, HWND target, bool isPort) {
    LinkState* state = new LinkState;
    state->device.reset(device);
    state->target = target;
    state->isPort = isPort;
    state->stopEvent.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    Register(state);
    state->thread.reset(CreateThread(nullptr, 0, LinkReader, state, 0, nullptr));
    if (!state->thread) {
        state->owners.store(1);
        ReleaseLinkState(state);
        return nullptr;
    }
    return state;
}

void ReleaseLinkState(LinkState* state) {
    if (state->owners.fetch_sub(1) != 1)
        return;
    Unregister(state);
    delete state;
}

int LiveLinkStates() {
    std::lock_guard<std::mutex> hold(g_readersLock);
    int count = 0;
    for (LinkState* state = g_readers; state != nullptr; state = state->next)
        ++count;
    return count;
}

const wchar_t* ClaimDeliveredLine(WPARAM wParam) {
    if (wParam == 0)
        return nullptr;
    std::lock_guard<std::mutex> hold(g_readersLock);
    for (LinkState* state = g_readers; state != nullptr; state = state->next) {
        const wchar_t* line = state->handingOver.load();
        if (line != nullptr && reinterpret_cast<WPARAM>(line) == wParam)
            return line;
    }
    return nullptr;
}
