// skyloom-decode's count of the lines the reader drops, held against the
// reader's own framer for inputs that arrive in pieces of any size.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "link/line_framer.h"
#include "tools/skyloom_decode/dropped_lines.h"

namespace {

std::string Xs(size_t n) {
    return std::string(n, 'x');
}

TEST(DroppedLines, CountsWhatTheFramerDropsWhateverThePieces) {
    const struct {
        std::string input;
        uint64_t tooLong, unterminated;
    } rows[] = {
        {"", 0, 0},
        {"\n", 0, 0},
        {"$GPTXT,A*00", 0, 1},
        {Xs(510) + "\n", 0, 0},
        {Xs(511) + "\n", 1, 0},  // the line feed is the byte that drops it
        {Xs(511) + "\n\n", 1, 0},
        {Xs(512) + "\n", 1, 0},
        {Xs(600) + "\n$B\r\n", 1, 0},
        {Xs(1023) + "\n", 2, 0},
        {Xs(1024) + "\n", 2, 0},
        {Xs(511), 0, 1},
        {Xs(512), 1, 0},  // dropped whole, nothing left pending
        {Xs(513), 1, 1},
        {Xs(5000) + "\n" + Xs(510) + "\n" + Xs(700), 10, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.input.size());
        const auto* bytes = reinterpret_cast<const uint8_t*>(row.input.data());
        LineFramer framer;
        uint64_t framerDrops = 0;
        for (uint8_t b : row.input)
            framerDrops += framer.Feed(b) == LineFramer::Result::kDropped ? 1 : 0;
        const uint64_t framerUnterminated = framer.Interrupt() ? 1 : 0;
        EXPECT_EQ(framerDrops, row.tooLong);
        EXPECT_EQ(framerUnterminated, row.unterminated);

        for (size_t piece : {size_t{1}, size_t{7}, size_t{511}, size_t{512}, size_t{513},
                             std::max<size_t>(row.input.size(), 1)}) {
            SCOPED_TRACE(piece);
            DroppedLines dropped;
            for (size_t at = 0; at < row.input.size(); at += piece)
                dropped.Feed(bytes + at, std::min(piece, row.input.size() - at));
            dropped.EndOfInput();
            EXPECT_EQ(dropped.tooLong(), framerDrops);
            EXPECT_EQ(dropped.unterminated(), framerUnterminated);
        }
    }
}

}  // namespace
