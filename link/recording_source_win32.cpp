#include "link/recording_source_win32.h"

#include <algorithm>

#include "win32/wide_text.h"

using linkrules::ReadResult;
using linkrules::ReadStatus;

namespace {

// How long a read at the end waits before the next try: what a port's
// silence lasts, so that a growing file is followed as promptly as a port.
constexpr DWORD kEndWaitMs = 100;

}  // namespace

linkrules::ByteSourcePtr RecordingSource::Open(const std::u16string& path, uint32_t* error) {
    *error = 0;
    // Only read: it may sit on read-only media or still be written by the
    // program capturing it.
    UniqueFile file(CreateFileW(AsWide(path.c_str()), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                nullptr));
    UniqueHandle cancelled(file ? CreateEventW(nullptr, TRUE, FALSE, nullptr) : nullptr);
    if (!file || !cancelled) {
        *error = GetLastError();
        return nullptr;
    }
    return linkrules::ByteSourcePtr(
        new RecordingSource(std::move(file), std::move(cancelled), path));
}

RecordingSource::RecordingSource(UniqueFile file, UniqueHandle cancelled, std::u16string path)
    : file_(std::move(file)), cancelled_(std::move(cancelled)), path_(std::move(path)) {}

ReadResult RecordingSource::Read(uint8_t* buffer, size_t capacity) {
    if (cancelRequested_.load())
        return {ReadStatus::kCancelled, 0};
    DWORD got = 0;
    const DWORD size = static_cast<DWORD>(std::min<size_t>(capacity, MAXDWORD));
    if (ReadFile(file_.get(), buffer, size, &got, nullptr) && got != 0)
        return {ReadStatus::kData, got};
    // At the end a read returns nothing at once; a failed read of a file is
    // no reason to give up on it either.
    WaitForSingleObject(cancelled_.get(), kEndWaitMs);
    return {cancelRequested_.load() ? ReadStatus::kCancelled : ReadStatus::kEnded, 0};
}

bool RecordingSource::Write(const uint8_t*, size_t) {
    return false;
}

void RecordingSource::Cancel() {
    cancelRequested_.store(true);
    SetEvent(cancelled_.get());
}

void RecordingSource::Close() {
    file_.reset();
}

std::u16string RecordingSource::Description() const {
    const size_t slash = path_.find_last_of(u"\\/");
    return slash == std::u16string::npos ? path_ : path_.substr(slash + 1);
}
