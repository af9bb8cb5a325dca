#include "nmea/sentence_table.h"

#include <iterator>

#include "nmea/decoders.h"
#include "nmea/field_split.h"

namespace {

using Stage = SentenceStage;
using Completes = SentenceCompletes;

// Tried in this order; the first row that names the address wins.
constexpr SentenceRow kSentences[] = {
    {"GGA", false, Stage::kReport, Completes::kCycle, DecodeGga},
    {"RMC", false, Stage::kReport, Completes::kNothing, DecodeRmc},
    {"GSA", false, Stage::kReport, Completes::kNothing, DecodeGsa},
    {"GSV", false, Stage::kReport, Completes::kCycle, DecodeGsv},
    {"GST", false, Stage::kReport, Completes::kNothing, DecodeGst},
    {"GNS", false, Stage::kReport, Completes::kNothing, DecodeGns},
    {"PMTK705", true, Stage::kReply, Completes::kNothing, DecodeVersionReply},
};

// True when the units from `at` to `end` are exactly the name. Every line
// of the receiver's comes here: a row that differs stops at its first
// differing unit.
bool Names(const char16_t* at, const char16_t* end, const char* name) {
    for (; *name != 0; ++at, ++name)
        if (at == end || *at != static_cast<char16_t>(static_cast<unsigned char>(*name)))
            return false;
    return at == end;
}

}  // namespace

const SentenceRow* FindSentence(const char16_t* line) {
    const char16_t* end = SkipField(line);
    const char16_t* dollar = nullptr;
    for (const char16_t* p = line; p < end; ++p)
        if (*p == u'$')
            dollar = p;
    if (dollar == nullptr)
        return nullptr;
    const char16_t* address = dollar + 1;
    for (const SentenceRow& row : kSentences) {
        if (row.proprietary) {
            if (Names(address, end, row.name))
                return &row;
        } else if (end - address >= 2 && Names(address + 2, end, row.name)) {
            return &row;
        }
    }
    return nullptr;
}
