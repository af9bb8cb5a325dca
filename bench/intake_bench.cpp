// The sentence intake per line on the generated receiver stream: the whole
// path the window runs for a line (copy, log hook, reply checks, checksum,
// dispatch, decoding, console hook), and the same behind the link's framer.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "bench/bench_host.h"
#include "link/line_framer.h"
#include "nmea/receiver_model.h"
#include "nmea/sentence_intake.h"
#include "tools/headless/decode_session.h"
#include "tools/skyloom_gen/stream_generator.h"

namespace {

constexpr int kCycles = 2000;  // 18,000 lines, about 1.2 MB: warm in cache like a stream

const std::string& Stream() {
    static const std::string stream = [] {
        std::string s;
        StreamGenerator generator;
        for (int i = 0; i < kCycles; ++i)
            generator.AppendCycle(&s);
        return s;
    }();
    return stream;
}

// The stream cut into lines as the reader hands them over: widened units,
// each ending with its line feed and a terminator.
std::vector<std::u16string> Lines() {
    std::vector<std::u16string> lines;
    LineFramer framer;
    for (unsigned char c : Stream()) {
        if (framer.Feed(c) == LineFramer::Result::kLine)
            lines.emplace_back(framer.line(), framer.length());
    }
    return lines;
}

// One iteration is one line, so the reported time is the time per line.
void BM_IntakePerLine(benchmark::State& state) {
    const std::vector<std::u16string> lines = Lines();
    auto status = std::make_unique<ReceiverModel>();  // a freshly started program
    ClearReceiverModel(*status);
    ResetFixClock(*status);
    BenchHost host;
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(OnLineReceived(host, *status, lines[i].c_str()));
        host.AdvanceClock(125);
        if (++i == lines.size())
            i = 0;
    }
    // The first GGA only starts the clock: judge after enough lines.
    if (state.iterations() > 100 && host.redraws() == 0)
        state.SkipWithError("the stream never completed a cycle");
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
    state.SetLabel("ns per line");
}
BENCHMARK(BM_IntakePerLine);

// The bytes through the framer and the intake with the headless host of
// skyloom-decode; one iteration is the whole stream, reported per line.
void BM_FramerAndIntakeHeadless(benchmark::State& state) {
    const std::string& stream = Stream();
    const auto* bytes = reinterpret_cast<const uint8_t*>(stream.data());
    uint64_t lines = 0;
    for (auto _ : state) {
        auto session = std::make_unique<DecodeSession>(60, 125);
        session->Feed(bytes, stream.size(),
                      [](const LineOutcome& line) { benchmark::DoNotOptimize(line.decoded); });
        lines += session->lines();
    }
    state.SetItemsProcessed(static_cast<int64_t>(lines));
    state.counters["ns_per_line"] = benchmark::Counter(
        static_cast<double>(lines), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_FramerAndIntakeHeadless)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
