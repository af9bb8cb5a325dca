// skyloom-decode: a receiver recording decoded without a window, as JSON Lines.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

#include "stats/position_feed.h"
#include "stats/position_lines.h"
#include "tools/headless/decode_session.h"
#include "tools/skyloom_decode/decode_objects.h"
#include "tools/skyloom_decode/decode_options.h"
#include "tools/skyloom_decode/dropped_lines.h"
#include "tools/skyloom_decode/json_writer.h"
#include "tools/skyloom_decode/local_offset.h"
#include "tools/skyloom_decode/position_object.h"
#include "version.h"

namespace {

constexpr int kExitInput = 1;
constexpr int kExitUsage = 2;

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

int Fail(int code, const std::string& message) {
    std::fprintf(stderr, "skyloom-decode: %s\n", message.c_str());
    return code;
}

int Decode(const DecodeOptions& options) {
    std::FILE* in = stdin;
    UniqueFile owned;
    const bool fromStdin = options.input == "-";
    if (!fromStdin) {
        owned.reset(std::fopen(options.input.c_str(), "rb"));
        if (!owned) {
            return Fail(kExitInput, "cannot open '" + options.input + "': " + std::strerror(errno));
        }
        in = owned.get();
    }
    const std::string inputName =
        fromStdin ? std::string("standard input") : "'" + options.input + "'";

    const int32_t offset =
        options.utcOffsetGiven ? options.utcOffsetMinutes : CurrentUtcOffsetMinutes();
    // The session holds the whole status record: keep it off the stack.
    auto session = std::make_unique<DecodeSession>(offset, options.lineMs);
    JsonWriter out(stdout);
    DroppedLines dropped;
    stats::PositionSeries positions;
    stats::PositionFeed positionFeed(positions);

    std::vector<uint8_t> chunk(1 << 16);
    for (;;) {
        const size_t got = std::fread(chunk.data(), 1, chunk.size(), in);
        dropped.Feed(chunk.data(), got);
        session->Feed(chunk.data(), got, [&](const LineOutcome& line) {
            WriteLineObject(out, line);
            if (options.positionStats)
                stats::FeedPositionLine(positionFeed, line.text, line.length);
            if (line.redraw)
                WriteStatusObject(out, line.n, session->host().caption(), session->status());
        });
        out.MaybeFlush();
        if (got < chunk.size()) {
            if (std::ferror(in)) {
                const int err = errno;
                out.Discard();
                out.Finish();
                return Fail(kExitInput, "cannot read " + inputName + ": " + std::strerror(err));
            }
            if (std::feof(in))
                break;
        }
    }
    session->EndOfInput();
    dropped.EndOfInput();
    if (options.positionStats)
        WritePositionObject(out, positions.Figures(options.reference));
    WriteSummaryObject(out, *session, dropped);
    if (!out.Finish())
        return Fail(kExitInput, "cannot write the output");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
#if defined(_WIN32)
    // JSON Lines end in LF and recordings are bytes: no text-mode translation.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stdin), _O_BINARY);
#endif
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    DecodeOptions options;
    std::string error;
    if (!ParseDecodeOptions(args, &options, &error))
        return Fail(kExitUsage, error + " (see skyloom-decode --help)");
    switch (options.action) {
        case DecodeOptions::Action::kHelp:
            std::fputs(kDecodeUsage, stdout);
            return std::fflush(stdout) == 0 ? 0 : kExitInput;
        case DecodeOptions::Action::kVersion:
            std::printf("%s\n", SKYLOOM_VERSION_TEXT);
            return std::fflush(stdout) == 0 ? 0 : kExitInput;
        case DecodeOptions::Action::kDecode:
            break;
    }
    return Decode(options);
}
