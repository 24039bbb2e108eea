#include "platform/gui/cwinapp.h"

#include <gtest/gtest.h>

namespace {

struct NamesCase {
    const char* name;
    const char* executable;
    const char* appName;
    const char* helpFile;
};

void PrintTo(const NamesCase& c, std::ostream* out) {
    *out << c.name;
}

class ExecutableNames : public testing::TestWithParam<NamesCase> {};

TEST_P(ExecutableNames, NameTheApplicationAndItsHelpFile) {
    const auto& c = GetParam();
    CWinApp app;
    app.SetNamesFromExecutable(c.executable);
    EXPECT_EQ(app.m_pszAppName.str(), c.appName);
    EXPECT_EQ(app.m_pszHelpFilePath.str(), c.helpFile);
    EXPECT_EQ(AfxGetApp(), &app);
}

INSTANTIATE_TEST_SUITE_P(Paths, ExecutableNames,
                         testing::Values(NamesCase{"Installed", "/usr/bin/gribjoin", "gribjoin",
                                                   "/usr/bin/gribjoin.HLP"},
                                         NamesCase{"RenamedWithAnExtension", "/opt/wx/GribJoin.bin",
                                                   "GribJoin", "/opt/wx/GribJoin.HLP"},
                                         NamesCase{"OnlyTheLastExtensionGoes",
                                                   "/opt/wx/grib.join.exe", "grib.join",
                                                   "/opt/wx/grib.join.HLP"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CWinApp, AGivenNameIsKept) {
    CWinApp app("Joiner");
    app.SetNamesFromExecutable("/usr/bin/gribjoin");
    EXPECT_EQ(app.m_pszAppName.str(), "Joiner");
}

} // namespace
