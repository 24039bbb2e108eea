#include "platform/core/cstring.h"
#include "platform/core/cstring_array.h"

#include <gtest/gtest.h>

namespace {

struct ReplaceCase {
    const char* name;
    const char* text;
    const char* old;
    const char* replacement;
    const char* expected;
    int count;
};

void PrintTo(const ReplaceCase& c, std::ostream* out) {
    *out << c.name;
}

class CStringReplace : public testing::TestWithParam<ReplaceCase> {};

TEST_P(CStringReplace, ReplacesInOneLeftToRightPass) {
    const auto& c = GetParam();
    CString text(c.text);
    EXPECT_EQ(text.Replace(c.old, c.replacement), c.count);
    EXPECT_EQ(text.str(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CStringReplace,
    testing::Values(
        ReplaceCase{"NoMatch", "c:\\data\\run1.grb", "bz2", "", "c:\\data\\run1.grb", 0},
        ReplaceCase{"EveryOccurrence", "/bz2/a.bz2.bz2", "bz2", "", "//a..", 3},
        ReplaceCase{"MatchFormedAcrossARemovalStays", "bbz2z2", "bz2", "", "bz2", 1},
        ReplaceCase{"ReplacementIsNotRescanned", "%1", "%1", "a %1 b", "a %1 b", 1},
        ReplaceCase{"NeverInsideAMultiByteCharacter", "\xC3\xA9-\xC3\xA9", "\xA9-\xC3", "x",
                    "\xC3\xA9-\xC3\xA9", 0},
        ReplaceCase{"WholeMultiByteCharacters", "\xC3\xA9-\xC3\xA9", "\xC3\xA9", "e", "e-e", 2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CString, MakeLowerFoldsAsciiOnlyAndKeepsLength) {
    CString text("/Data/\xC3\x89T\xC3\x89/RUN.GRB.BZ2"); // "ÉTÉ" in UTF-8
    text.MakeLower();
    EXPECT_EQ(text.str(), "/data/\xC3\x89t\xC3\x89/run.grb.bz2");
}

TEST(CString, FindReportsOnlyMatchesOnCharacterBoundaries) {
    EXPECT_EQ(CString("c:\\wx\\b.grb.bz2").Find("bz2"), 12);
    EXPECT_EQ(CString("run.gr2").Find(".grb"), -1);
    // 0xA9 is the second byte of "é"; it is not a character on its own.
    EXPECT_EQ(CString("\xC3\xA9").Find("\xA9"), -1);
    EXPECT_EQ(CString("\xC3\xA9\xC3\xA9").Find("\xC3\xA9"), 0);
}

TEST(CString, FormatsLikePrintf) {
    CString text;
    text.Format("Could not open output GRIB file %s.", "");
    EXPECT_EQ(text.str(), "Could not open output GRIB file .");
    const std::string longName(300, 'z');
    text.Format("%s-%d-%s", "a", 42, longName.c_str());
    EXPECT_EQ(text.str(), "a-42-" + longName);
}

TEST(CString, ConcatenatesAndAppends) {
    CString text = CString("\"") + "/a" + CString("\"");
    text += '+';
    text += "\"/b\"";
    EXPECT_EQ(text.str(), "\"/a\"+\"/b\"");
}

TEST(CStringArray, KeepsOrderAndEmptiesWithSetSizeZero) {
    CStringArray list;
    EXPECT_EQ(list.Add("/one"), 0u);
    EXPECT_EQ(list.Add("/two"), 1u);
    ASSERT_EQ(list.GetSize(), 2u);
    EXPECT_EQ(list[1].str(), "/two");
    list.SetSize(0);
    EXPECT_EQ(list.GetSize(), 0u);
}

} // namespace
