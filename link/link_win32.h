// The receiver link: one open byte source at a time, its reader thread that
// hands each received line to a window, and the way back for commands. The
// link control owns the program's one Link; tests make their own.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "link/byte_source.h"
#include "link/chosen_source.h"

struct LinkState;

// Why an open failed.
enum class OpenFailure : uint8_t {
    kNone,
    kUnusable,     // the value names nothing that can be opened (no device, no rate)
    kCannotOpen,   // the system refused it: systemError says why
    kRefused,      // it opened but refuses the link's settings (a port that is no port)
    kNoReader,     // no reader thread could be started
    kUnsupported,  // a kind of source this build cannot open
};

struct OpenResult {
    OpenFailure failure = OpenFailure::kNone;
    uint32_t systemError = 0;  // GetLastError of the step that failed, where there is one
    bool ok() const { return failure == OpenFailure::kNone; }
};

// The one place where a chosen source becomes a byte source: every kind of
// source is one case here. Null, with the reason in *result, when it cannot
// be opened.
linkrules::ByteSourcePtr OpenByteSource(const linkrules::SourceSpec& spec, OpenResult* result);

class Link {
  public:
    Link() = default;
    ~Link() { Close(); }
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;

    // Closes what is open, then opens `spec` and starts its reader, which
    // sends its lines to `target` and posts it UM_PORT_LOST (with Number())
    // when a live source is lost; its reading has ended then.
    OpenResult Open(const linkrules::SourceSpec& spec, HWND target);
    // The same for a source already opened (a test's fake); `spec` is what
    // Spec() reports.
    OpenResult Open(linkrules::ByteSourcePtr source, const linkrules::SourceSpec& spec,
                    HWND target);

    // Never waits more than about a quarter of a second for the reader, and
    // not at all while the reader waits for the user-interface thread to take
    // its line: that reader closes the source itself once the line is taken.
    void Close();

    bool IsOpen() const { return state_ != nullptr; }
    // The open link's number, which its reader's UM_PORT_LOST carries; 0 when
    // none is open. Every open gets a new one.
    uint32_t Number() const;
    // What the open link was opened from (the reconnect opens it again).
    const linkrules::SourceSpec& Spec() const { return spec_; }
    // False while nothing is open.
    bool Live() const;
    bool TakesCommands() const;
    std::u16string Description() const;

    // Writes to the receiver; false when nothing is open, the source takes
    // no commands (a recording) or the write failed. Bounded in time.
    bool Write(const uint8_t* bytes, size_t count);

  private:
    LinkState* state_ = nullptr;
    linkrules::SourceSpec spec_;
};
