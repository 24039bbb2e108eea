#include "platform/gui/file_filter.h"
#include "platform/gui/file_selection.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> ReadAll(const SelectionBuffer& buffer) {
    std::vector<std::string> paths;
    POSITION position = SelectionStart(buffer);
    while (position != nullptr)
        paths.push_back(NextSelectedPath(buffer, position));
    return paths;
}

struct SelectionCase {
    const char* name;
    std::string folder;
    std::vector<std::string> names;
    bool fits;
    std::vector<std::string> paths; // what enumeration gives back
};

void PrintTo(const SelectionCase& c, std::ostream* out) {
    *out << c.name;
}

class Selection : public testing::TestWithParam<SelectionCase> {};

TEST_P(Selection, RoundTripsThroughTheBufferOrDoesNotFit) {
    const auto& c = GetParam();
    SelectionBuffer buffer{};
    buffer.fill('x');
    ASSERT_EQ(WriteSelection(buffer, c.folder, c.names), c.fits);
    if (!c.fits) {
        EXPECT_EQ(std::string(buffer.begin(), buffer.end()), std::string(kSelectionCapacity, 'x'));
        return;
    }
    EXPECT_EQ(ReadAll(buffer), c.paths);
    if (c.paths.size() == 1) {
        EXPECT_EQ(SelectionPathName(buffer), c.paths.front());
    }
}

// A folder of 200 bytes and two names of 28 fill the 260 bytes exactly:
// 200 + 1 + (28 + 1) + (28 + 1) + 1.
const std::string kFolder200 = "/" + std::string(199, 'f');
const std::string kPath259 = "/" + std::string(254, 'p') + ".grb";

INSTANTIATE_TEST_SUITE_P(
    Layouts, Selection,
    testing::Values(
        SelectionCase{"OneFile", "/data", {"a.grb"}, true, {"/data/a.grb"}},
        SelectionCase{"ThreeFilesInOrder",
                      "/data/wx",
                      {"c.grb", "a.grb.bz2", "b.grb"},
                      true,
                      {"/data/wx/c.grb", "/data/wx/a.grb.bz2", "/data/wx/b.grb"}},
        SelectionCase{
            "RootFolderGetsNoDoubledSlash", "/", {"a.grb", "b.grb"}, true, {"/a.grb", "/b.grb"}},
        SelectionCase{"OneFileInTheRootFolder", "/", {"a.grb"}, true, {"/a.grb"}},
        SelectionCase{"MultiByteNames",
                      "/donn\xC3\xA9"
                      "es",
                      {"\xC3\xA9t\xC3\xA9.grb", "\xE9\x9B\xA8.grb"},
                      true,
                      {"/donn\xC3\xA9"
                       "es/\xC3\xA9t\xC3\xA9.grb",
                       "/donn\xC3\xA9"
                       "es/\xE9\x9B\xA8.grb"}},
        SelectionCase{
            "SeveralFillTheBufferExactly",
            kFolder200,
            {std::string(28, 'a'), std::string(28, 'b')},
            true,
            {kFolder200 + "/" + std::string(28, 'a'), kFolder200 + "/" + std::string(28, 'b')}},
        SelectionCase{"SeveralOneByteTooMany",
                      kFolder200,
                      {std::string(28, 'a'), std::string(29, 'b')},
                      false,
                      {}},
        SelectionCase{"OnePathOf259Fits", "/", {kPath259.substr(1)}, true, {kPath259}},
        SelectionCase{"OnePathOf260DoesNotFit", "/", {kPath259.substr(1) + "2"}, false, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Selection, EnumerationNeverReadsPastTheBuffer) {
    SelectionBuffer buffer;
    buffer.fill('z'); // no NUL at all
    EXPECT_EQ(ReadAll(buffer), std::vector<std::string>{std::string(kSelectionCapacity, 'z')});
    buffer.fill('\0');
    buffer[0] = '/';
    std::fill(buffer.begin() + 2, buffer.end(), 'n'); // a folder, then a name cut by the end
    EXPECT_EQ(ReadAll(buffer),
              std::vector<std::string>{"/" + std::string(kSelectionCapacity - 2, 'n')});
}

struct FilterCase {
    const char* name;
    const char* filter;
    std::vector<std::string> qtFilters;
};

void PrintTo(const FilterCase& c, std::ostream* out) {
    *out << c.name;
}

class FilterConversion : public testing::TestWithParam<FilterCase> {};

TEST_P(FilterConversion, KeepsDescriptionsAndSplitsPatterns) {
    EXPECT_EQ(QtNameFilters(GetParam().filter), GetParam().qtFilters);
}

INSTANTIATE_TEST_SUITE_P(
    Filters, FilterConversion,
    testing::Values(
        FilterCase{"SourcePicker",
                   "Grib Files (*.grb;*.grb.bz2)|*.grb; *.grb.bz2|All Files (*.*)|*.*||",
                   {"Grib Files (*.grb;*.grb.bz2) (*.grb *.grb.bz2)", "All Files (*.*) (*)"}},
        FilterCase{"DestinationPicker",
                   "Grib Files (*.grb)|*.grb|All Files (*.*)|*.*||",
                   {"Grib Files (*.grb) (*.grb)", "All Files (*.*) (*)"}},
        FilterCase{"StopsAtTheEmptyDescription", "A|*.a||B|*.b||", {"A (*.a)"}},
        FilterCase{"MissingFinalBars", "A|*.a;;*.b", {"A (*.a *.b)"}},
        FilterCase{"AnyWhiteSpaceSeparates", "A|*.a\t*.b\v*.*\n||", {"A (*.a *.b *)"}},
        FilterCase{"NoPatternsMeansEverything", "A||", {"A (*)"}}, FilterCase{"Empty", "", {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FilterConversion, NullFilterGivesNone) {
    EXPECT_TRUE(QtNameFilters(nullptr).empty());
}

} // namespace
