#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_intake_host.h"
#include "nmea/field_split.h"

namespace {

constexpr size_t kWidth = 8;
constexpr size_t kCount = 5;

struct Fields {
    char16_t f[kCount][kWidth];
    char16_t guard[kWidth];  // shows any write past the last field
    Fields() {
        for (auto& row : f)
            for (char16_t& c : row)
                c = u'#';
        for (size_t k = 0; k < kCount; ++k)
            f[k][0] = u'~', f[k][1] = 0;  // "old" contents
        for (char16_t& c : guard)
            c = u'#';
    }
    std::vector<std::string> Rows() const {
        std::vector<std::string> rows;
        for (size_t k = 0; k < kCount; ++k)
            rows.push_back(Narrow(f[k]));
        return rows;
    }
};

TEST(SplitFields, Table) {
    using R = std::vector<std::string>;
    const struct {
        std::string line;
        size_t written;
        R rows;  // "~": the field kept its old contents
    } cases[] = {
        {"$GPXXX,a,b,c\r\n", 4, {"$GPXXX", "a", "b", "c", "~"}},
        // The checksum digits become the next field when there is room.
        {"$GPXXX,a*4B\r\n", 3, {"$GPXXX", "a", "4B", "~", "~"}},
        // A trailing comma before '*' ends the splitting: no checksum field.
        {"$PM,x,y,*12\r\n", 3, {"$PM", "x", "y", "~", "~"}},
        // Empty fields hold only the terminator.
        {"$A,,,\r\n", 3, {"$A", "", "", "~", "~"}},
        // The count bounds the fields written.
        {"$A,1,2,3,4,5,6*00\r\n", 5, {"$A", "1", "2", "3", "4"}},
        // A field over the width keeps width-1 characters; the next ones keep their numbers.
        {"$A,1234567890,b\r\n", 3, {"$A", "1234567", "b", "~", "~"}},
        // No CR: the terminator ends the field and the splitting.
        {"$A,b", 2, {"$A", "b", "~", "~", "~"}},
        // CR ends the sentence: the LF after it is no field of its own.
        {"$A,b\r\n", 2, {"$A", "b", "~", "~", "~"}},
        {"$A\r\n", 1, {"$A", "~", "~", "~", "~"}},
        {"", 1, {"", "~", "~", "~", "~"}},
        {",*", 1, {"", "~", "~", "~", "~"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        Fields fields;
        const std::u16string line = U(c.line);
        EXPECT_EQ(SplitFields(line.c_str(), fields.f), c.written);
        EXPECT_EQ(fields.Rows(), c.rows);
        EXPECT_EQ(std::u16string(fields.guard, kWidth), std::u16string(kWidth, u'#'));
    }
}

}  // namespace
