// The guard against a destination that is also a source, when the system
// cannot examine one of the two files: it must not let the run delete the
// source it failed to recognise.
#include "engine/combine.h"
#include "platform/core/exceptions.h"
#include "tests/support/fault_injection.h"
#include "tests/support/folder_snapshot.h"
#include "tests/support/message_recorder.h"
#include "tests/support/test_files.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

struct GuardCase {
    const char* name;
    int failingStat; // 0: the destination's, 1: the source's
    int errorNumber;
    bool throughLinkedFolder; // else the very same path
};

void PrintTo(const GuardCase& c, std::ostream* out) {
    *out << c.name;
}

class GuardUnderFaults : public testing::TestWithParam<GuardCase> {};

TEST_P(GuardUnderFaults, RecognisesTheSourceByNameWhenItCannotBeExamined) {
    const auto& c = GetParam();
    ScopedTempDir dir;
    fs::create_directory(dir.path() / "data");
    fs::create_directory_symlink(dir.path() / "data", dir.path() / "link");
    const std::string source = dir / "data/a.grb";
    const std::string destination = c.throughLinkedFolder ? dir / "link/a.grb" : source;
    WriteFile(source, "GRIB-A-7777");
    const FolderSnapshot before = TakeSnapshot(dir.path());
    MessageRecorder recorder;

    CStringArray sources;
    sources.Add(source.c_str());
    {
        FaultInjector faults;
        faults.FailNth(SysCall::stat, c.failingStat, c.errorNumber);
        EXPECT_THROW(Combine(sources, destination.c_str()), CUserException);
        EXPECT_EQ(faults.Injected(), 1);
    }

    EXPECT_EQ(recorder.texts(), std::vector<std::string>{"The output GRIB file " + destination +
                                                         " is also one of the sources."});
    EXPECT_EQ(TakeSnapshot(dir.path()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GuardUnderFaults,
    testing::Values(GuardCase{"DestinationUnreadableSamePath", 0, EIO, false},
                    GuardCase{"DestinationUnreadableThroughLinkedFolder", 0, EACCES, true},
                    GuardCase{"SourceUnreadableSamePath", 1, EIO, false},
                    GuardCase{"SourceUnreadableThroughLinkedFolder", 1, ELOOP, true}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
