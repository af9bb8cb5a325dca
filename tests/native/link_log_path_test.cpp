#include <gtest/gtest.h>

#include <string>

#include "link/log_path.h"
#include "link/raw_recording.h"

using linkrules::LogPathResult;

namespace {

LogPathResult Build(const std::u16string& exe, const std::u16string& name, std::u16string* out) {
    char16_t buffer[linkrules::kLogPathUnits];
    buffer[0] = u'?';
    LogPathResult r = linkrules::BuildLogPath(exe.c_str(), name.c_str(), buffer);
    *out = buffer;
    return r;
}

}  // namespace

TEST(LogPath, BesideTheExecutableOrRefusedWhole) {
    struct Case {
        std::u16string exe, name;
        LogPathResult result;
        std::u16string path;
    };
    // Directory "C:\" + 200 units; "\" + name + "_log.txt" (8) + terminator
    // leave `room` units for the name: the longest path fills the buffer.
    const std::u16string dir = u"C:\\" + std::u16string(200, u'd');
    const std::u16string exe = dir + u"\\s.exe";
    const size_t room = linkrules::kLogPathUnits - dir.size() - 1 - 8 - 1;
    const Case cases[] = {
        {u"C:\\D\\skyloom.exe", u"trip1", LogPathResult::kOk, u"C:\\D\\trip1_log.txt"},
        {u"C:\\D\\skyloom.exe", u"", LogPathResult::kOk, u"C:\\D\\_log.txt"},
        {u"C:\\a\\b.c\\skyloom.exe", u"x", LogPathResult::kOk, u"C:\\a\\b.c\\x_log.txt"},
        {u"\\\\server\\share\\s.exe", u"n", LogPathResult::kOk, u"\\\\server\\share\\n_log.txt"},
        {u"skyloom.exe", u"trip1", LogPathResult::kNoDirectory, u""},
        {u"C:/D/skyloom.exe", u"trip1", LogPathResult::kNoDirectory, u""},
        {exe, std::u16string(room, u'n'), LogPathResult::kOk,
         dir + u"\\" + std::u16string(room, u'n') + u"_log.txt"},
        {exe, std::u16string(room + 1, u'n'), LogPathResult::kTooLong, u""},
        {exe, std::u16string(254, u'n'), LogPathResult::kTooLong, u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.size());
        std::u16string path;
        EXPECT_EQ(Build(c.exe, c.name, &path), c.result);
        EXPECT_EQ(path, c.path);
    }
}

TEST(RecordingName, TheLocalTimeOfTheStartInFixedWidthsOrNoneAtAll) {
    const struct {
        CivilTime local;
        size_t cap;
        std::u16string name;
    } cases[] = {
        {{2026, 12, 2, 8, 13, 5, 9, 999}, 28, u"skyloom-20261208-130509.pgl"},
        {{2026, 12, 2, 8, 13, 5, 9, 0}, 27, u""},  // one unit short: no cut name
        {{10000, 1, 0, 1, 0, 0, 0, 0}, 28, u""},   // a fifth digit of the year
    };
    for (const auto& c : cases) {
        char16_t buffer[32];
        EXPECT_EQ(linkrules::DefaultRecordingName(c.local, buffer, c.cap), !c.name.empty());
        EXPECT_EQ(std::u16string(buffer), c.name);
    }
}
