#include "link/link_win32.h"

#include "link/link_state_win32.h"
#include "link/network_sources_win32.h"
#include "link/recording_source_win32.h"
#include "link/serial_source_win32.h"

using linkrules::SourceKind;

namespace {

// How long closing waits for the reader to let go of the source. A reader
// blocked in its hand-over waits for this very thread, so the wait must end
// on its own; that reader then closes the source when its line is taken.
constexpr DWORD kReaderStopWaitMs = 250;

OpenResult Failed(OpenFailure failure, uint32_t systemError = 0) {
    OpenResult result;
    result.failure = failure;
    result.systemError = systemError;
    return result;
}

}  // namespace

linkrules::ByteSourcePtr OpenByteSource(const linkrules::SourceSpec& spec, OpenResult* result) {
    *result = OpenResult();
    uint32_t error = 0;
    linkrules::ByteSourcePtr source;
    switch (spec.kind) {
        case SourceKind::kPort:
            if (spec.device.empty() || spec.baud == 0) {
                *result = Failed(OpenFailure::kUnusable);
                return nullptr;
            }
            source = SerialSource::Open(spec.device, spec.baud, &error);
            break;
        case SourceKind::kRecording:
            if (spec.device.empty()) {
                *result = Failed(OpenFailure::kUnusable);
                return nullptr;
            }
            source = RecordingSource::Open(spec.device, &error);
            break;
        case SourceKind::kTcp:
        case SourceKind::kUdp:
        case SourceKind::kGpsd:
            if (spec.port == 0 || (spec.host.empty() && spec.kind != SourceKind::kUdp)) {
                *result = Failed(OpenFailure::kUnusable);
                return nullptr;
            }
            source = netlink::OpenNetworkSource(spec, &error);
            break;
        case SourceKind::kNone:
            *result = Failed(OpenFailure::kUnusable);
            return nullptr;
        default:
            *result = Failed(OpenFailure::kUnsupported);
            return nullptr;
    }
    if (!source)
        *result = Failed(error != 0 ? OpenFailure::kCannotOpen : OpenFailure::kRefused, error);
    return source;
}

OpenResult Link::Open(const linkrules::SourceSpec& spec, HWND target) {
    Close();
    OpenResult result;
    linkrules::ByteSourcePtr source = OpenByteSource(spec, &result);
    if (!source)
        return result;
    return Open(std::move(source), spec, target);
}

OpenResult Link::Open(linkrules::ByteSourcePtr source, const linkrules::SourceSpec& spec,
                      HWND target) {
    Close();
    if (!source)
        return Failed(OpenFailure::kUnusable);
    LinkState* state = StartLinkReader(std::move(source), target);
    if (state == nullptr)
        return Failed(OpenFailure::kNoReader, GetLastError());
    state_ = state;
    spec_ = spec;
    return OpenResult();
}

void Link::Close() {
    LinkState* state = state_;
    state_ = nullptr;
    spec_ = linkrules::SourceSpec();
    if (state == nullptr)
        return;
    state->run.store(0);
    state->source->Cancel();
    // Ends a read in progress at once where the system can; elsewhere the
    // source's own bounded wait ends it.
    CancelSynchronousIo(state->thread.get());
    if (state->handingOver.load() == nullptr)
        WaitForSingleObject(state->thread.get(), kReaderStopWaitMs);
    ReleaseLinkState(state);
}

uint32_t Link::Number() const {
    return state_ != nullptr ? state_->number : 0;
}

bool Link::Live() const {
    return state_ != nullptr && state_->live;
}

bool Link::TakesCommands() const {
    return state_ != nullptr && state_->source->TakesCommands();
}

std::u16string Link::Description() const {
    return state_ != nullptr ? state_->source->Description() : std::u16string();
}

bool Link::Write(const uint8_t* bytes, size_t count) {
    return TakesCommands() && state_->source->Write(bytes, count);
}
