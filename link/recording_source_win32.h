// A recording played back as a byte source: read a block at a time as fast
// as the reader takes it, never written to, never lost. At its end it waits
// a silence period and says so, and reads on: a file that another program is
// still writing goes on playing as it grows.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>

#include "link/byte_source.h"
#include "win32/unique_handle.h"

class RecordingSource : public linkrules::ByteSource {
  public:
    // Opens `path` for reading only; null when it cannot be (*error: the
    // system's error code).
    static linkrules::ByteSourcePtr Open(const std::u16string& path, uint32_t* error);

    linkrules::ReadResult Read(uint8_t* buffer, size_t capacity) override;
    bool Write(const uint8_t* bytes, size_t count) override;
    void Cancel() override;
    void Close() override;
    std::u16string Description() const override;
    bool Live() const override { return false; }
    bool TakesCommands() const override { return false; }

  private:
    RecordingSource(UniqueFile file, UniqueHandle cancelled, std::u16string path);

    UniqueFile file_;
    UniqueHandle cancelled_;
    std::atomic<bool> cancelRequested_{false};
    std::u16string path_;
};
