// A receiver on a serial (COM) port as a byte source: the port configured
// for the link or refused, reads that return what the port holds at once and
// end a partial line by 100 ms of silence, and the rules that tell a pulled
// device from a receiver that is only quiet or sends at the wrong rate.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "link/byte_source.h"
#include "win32/unique_handle.h"

class SerialSource : public linkrules::ByteSource {
  public:
    // Opens `device` ("\\.\COM5") exclusively and sets it to 8N1 at `baud`
    // with the link's timeouts. Null when it cannot be opened (*error: the
    // system's error code) or refuses the settings (*error: 0): read at
    // whatever rate and framing it happened to have, it would spin or lie.
    static linkrules::ByteSourcePtr Open(const std::u16string& device, uint32_t baud,
                                         uint32_t* error);

    linkrules::ReadResult Read(uint8_t* buffer, size_t capacity) override;
    bool Write(const uint8_t* bytes, size_t count) override;
    void Cancel() override;
    void Close() override;
    std::u16string Description() const override;
    bool Live() const override { return true; }
    bool TakesCommands() const override { return true; }

  private:
    SerialSource(UniqueFile port, UniqueHandle cancelled, std::u16string device);
    // Waits out one silence period, or less when cancelled.
    void BackOff();

    UniqueFile port_;
    UniqueHandle cancelled_;  // set by Cancel: ends a back-off at once
    std::atomic<bool> cancelRequested_{false};
    std::u16string device_;
    // The reader thread's alone.
    int deadReads_ = 0;
    bool lastReadFailed_ = false;
};
