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
// *answered is false when the port would not even report its state.
DWORD ReadSize(const LinkState& state, bool* answered) {
    *answered = true;
    if (!state.isPort)
        return kReadBlock;
    DWORD errors = 0;
    COMSTAT held{};
    // Clearing the error state also lets a port that aborted on an error
    // read again.
    *answered = ClearCommError(state.device.get(), &errors, &held) != FALSE;
    return held.cbInQue == 0 ? 1 : std::min<DWORD>(held.cbInQue, kReadBlock);
}

// The port's own timeout for a read that finds nothing.
constexpr DWORD kSilenceMs = 100;
// A port read that brings nothing in less than this did not wait for the
// port's silence: the device is not there to wait on (Wine answers every read
// of a pulled pseudo-terminal at once).
constexpr DWORD kEarlyEmptyMs = kSilenceMs / 2;
// Reads in a row that show a dead device before the port counts as gone:
// about half a second of them, since a single failure is mostly mended by
// clearing the port's error state.
constexpr int kLostAfterDeadReads = 5;

void BackOff(const LinkState& state) {
    if (state.stopEvent)
        WaitForSingleObject(state.stopEvent.get(), kSilenceMs);
    else
        Sleep(kSilenceMs);
}

DWORD WINAPI LinkReader(void* parameter) {
    LinkState* state = static_cast<LinkState*>(parameter);
    LineFramer framer;
    uint8_t block[kReadBlock];
    int deadReads = 0;
    bool lastReadFailed = false;
    while (state->run.load() != 0) {
        bool answered = true;
        const DWORD size = ReadSize(*state, &answered);
        const DWORD started = GetTickCount();
        DWORD got = 0;
        const BOOL ok = ReadFile(state->device.get(), block, size, &got, nullptr);
        const DWORD error = ok ? ERROR_SUCCESS : GetLastError();
        if (got == 0) {
            framer.Interrupt();
            if (!state->isPort) {
                // A recording at its end returns nothing at once.
                BackOff(*state);
                continue;
            }
            const bool early = ok && GetTickCount() - started < kEarlyEmptyMs;
            if (ok && answered && !early) {
                deadReads = 0;  // the port waited its silence out: it is there
                lastReadFailed = false;
                continue;
            }
            // A line error aborts a read until it is cleared: a receiver at
            // the wrong rate is still a receiver.
            if (error != ERROR_OPERATION_ABORTED && ++deadReads >= kLostAfterDeadReads) {
                if (state->run.load() != 0)
                    PostMessageW(state->target, UM_PORT_LOST, state->number, 0);
                break;
            }
            // Never a busy loop on a port that answers nothing; a single
            // failure is retried at once.
            if (early || lastReadFailed)
                BackOff(*state);
            lastReadFailed = true;
            continue;
        }
        deadReads = 0;
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
    static std::atomic<uint32_t> links{0};
    LinkState* state = new LinkState;
    state->number = ++links;
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
    // The device goes before the state leaves the list of live readers:
    // whoever sees no reader left may open the same file or port at once.
    state->device.reset();
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
