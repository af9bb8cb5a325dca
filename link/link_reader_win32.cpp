#include <algorithm>
#include <mutex>

#include "link/line_framer.h"
#include "link/link_state_win32.h"
#include "link/raw_recording_win32.h"
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
    // Closing clears the run flag before it looks at handingOver, and this
    // thread announces itself before it looks at the run flag: either the
    // closer sees the hand-over and does not wait for the thread, or the
    // thread sees the close and does not send to a UI thread that waits.
    const bool open = state->run.load() != 0;
    if (open)
        SendMessageW(state->target, UM_LINE_RECEIVED, reinterpret_cast<WPARAM>(text), 0);
    state->handingOver.store(nullptr);
    return open;
}

// A read costs a round trip through the system whatever its size: a source
// is asked for a block, and gives what it has.
constexpr size_t kReadBlock = 4096;

DWORD WINAPI LinkReader(void* parameter) {
    LinkState* state = static_cast<LinkState*>(parameter);
    linkrules::ByteSource& source = *state->source;
    LineFramer framer;
    uint8_t block[kReadBlock];
    bool reading = true;
    while (reading && state->run.load() != 0) {
        const linkrules::ReadResult got = source.Read(block, sizeof block);
        switch (got.status) {
            case linkrules::ReadStatus::kData:
                if (state->live)
                    RecordRawBytes(block, got.bytes);  // before framing: every byte, as read
                for (size_t i = 0; i < got.bytes; ++i) {
                    if (framer.Feed(block[i]) == LineFramer::Result::kLine &&
                        !HandOver(state, framer.line()))
                        break;
                }
                break;
            case linkrules::ReadStatus::kLost:
                if (state->run.load() != 0)
                    PostMessageW(state->target, UM_PORT_LOST, state->number, 0);
                reading = false;
                break;
            case linkrules::ReadStatus::kCancelled:
                reading = false;
                break;
            case linkrules::ReadStatus::kSilence:
            case linkrules::ReadStatus::kLineError:
            case linkrules::ReadStatus::kEnded:
                // A line cut by silence, an error or the end of what there
                // is never runs on into the next one.
                framer.Interrupt();
                break;
        }
    }
    ReleaseLinkState(state);
    return 0;
}

}  // namespace

LinkState* StartLinkReader(linkrules::ByteSourcePtr source, HWND target) {
    static std::atomic<uint32_t> links{0};
    LinkState* state = new LinkState;
    state->number = ++links;
    state->live = source->Live();
    state->source = std::move(source);
    state->target = target;
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
    // The source goes before the state leaves the list of live readers:
    // whoever sees no reader left may open the same file or port at once.
    state->source->Close();
    state->source.reset();
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
