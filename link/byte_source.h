// Where a receiver's bytes come from, and the way back to it where there is
// one: a serial port, a recording, a TCP connection, UDP datagrams, gpsd. The
// reader thread, the raw recording, the reconnect and the command writer work
// through this interface alone, so each kind of source is one class and
// tests can hand the link a fake.
//
// Threads: Read runs on the reader thread only; Write, Description and the
// flags on the user-interface thread; Cancel from any thread, also while
// Read waits. Close is called once, after the reader has let go.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace linkrules {

enum class ReadStatus : uint8_t {
    kData,       // `bytes` bytes were read
    kSilence,    // nothing came within the wait; the source is still there
    kLineError,  // a transmission error (wrong baud, framing): still a receiver
    kEnded,      // a recording at its end for now: the link stays open and reads on
                 // (a file another program still writes grows), after the
                 // source's own wait, so it is no busy loop
    kLost,       // the device or connection is gone: the link waits and reopens it
    kCancelled,  // Cancel was called
};

struct ReadResult {
    ReadStatus status;
    size_t bytes;  // kData only
};

class ByteSource {
  public:
    virtual ~ByteSource() = default;

    // Waits at most about 100 ms for bytes and returns what is there, up to
    // `capacity`. A source never blocks longer than that: the reader checks
    // its stop flag between reads, and a partial line is ended by silence.
    virtual ReadResult Read(uint8_t* buffer, size_t capacity) = 0;

    // Writes a command sentence; false when it was not sent (a source that
    // takes no commands, a write that failed or timed out). Bounded in time.
    virtual bool Write(const uint8_t* bytes, size_t count) = 0;

    // Ends a Read in progress (and any further one) soon; callable from any
    // thread.
    virtual void Cancel() = 0;

    // Releases the device or connection. Reads and writes fail after it.
    virtual void Close() = 0;

    // What the caption and console name it by: "COM5", "192.168.1.20:4001",
    // the recording's file name.
    virtual std::u16string Description() const = 0;

    // A live receiver (port, network): its bytes are recorded raw, it can be
    // lost and reopened. A recording is not live.
    virtual bool Live() const = 0;

    // Whether command sentences reach the receiver through this source.
    virtual bool TakesCommands() const = 0;
};

using ByteSourcePtr = std::unique_ptr<ByteSource>;

}  // namespace linkrules
