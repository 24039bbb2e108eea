// The guard against a destination that is also a source, when the system
// cannot examine the files: each call the guard makes in a refused run is
// failed in turn, and the run must still refuse, touching nothing. A source
// the guard fails to recognise would be deleted with the destination.
#include "engine/combine.h"
#include "platform/core/exceptions.h"
#include "tests/support/fault_injection.h"
#include "tests/support/folder_snapshot.h"
#include "tests/support/message_recorder.h"
#include "tests/support/test_files.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

// A folder whose run must be refused: it makes the files and returns the
// sources and the destination.
struct ClashScene {
    const char* name;
    std::function<std::pair<CStringArray, std::string>(const ScopedTempDir&)> make;
};

CStringArray Sources(std::initializer_list<std::string> paths) {
    CStringArray list;
    for (const auto& path : paths)
        list.Add(path.c_str());
    return list;
}

const std::vector<ClashScene>& Scenes() {
    static const std::vector<ClashScene> scenes = {
        {"SamePath",
         [](const ScopedTempDir& d) {
             WriteFile(d / "a.grb", "GRIB-A-7777");
             WriteFile(d / "b.grb", "GRIB-B-7777");
             return std::pair{Sources({d / "a.grb", d / "b.grb"}), d / "b.grb"};
         }},
        {"ThroughALinkedFolder",
         [](const ScopedTempDir& d) {
             fs::create_directory(d.path() / "data");
             fs::create_directory_symlink(d.path() / "data", d.path() / "link");
             WriteFile(d / "data/a.grb", "GRIB-A-7777");
             return std::pair{Sources({d / "data/a.grb"}), d / "link/a.grb"};
         }},
        {"ExistingExpandedCopy",
         [](const ScopedTempDir& d) {
             WriteFile(d / "b.grb.bz2", Bz2Compress("GRIB-B-7777"));
             WriteFile(d / "b.grb", "expansion from an earlier run");
             return std::pair{Sources({d / "b.grb.bz2"}), d / "b.grb"};
         }},
    };
    return scenes;
}

struct GuardRow {
    std::string name;
    int scene;
    SysCall call;
    int nth;
    int errorNumber;
};

void PrintTo(const GuardRow& row, std::ostream* out) {
    *out << row.name;
}

std::vector<GuardRow> GuardRows() {
    std::vector<GuardRow> rows;
    for (int s = 0; s < static_cast<int>(Scenes().size()); ++s) {
        ScopedTempDir dir;
        auto [sources, destination] = Scenes()[s].make(dir);
        MessageRecorder recorder;
        FaultInjector faults;
        try {
            Combine(sources, destination.c_str());
        } catch (const CUserException&) {
        }
        for (const auto& call : faults.calls())
            for (const int error : {EIO, EACCES, ELOOP, EINTR})
                rows.push_back({std::string(Scenes()[s].name) + "_" + SysCallName(call.call) +
                                    std::to_string(call.nth) + "_" +
                                    Describe(Failure::Error(error)),
                                s, call.call, call.nth, error});
    }
    return rows;
}

class GuardUnderFaults : public testing::TestWithParam<GuardRow> {};

TEST_P(GuardUnderFaults, StillRefusesAndTouchesNothing) {
    const GuardRow& row = GetParam();
    ScopedTempDir dir;
    auto [sources, destination] = Scenes()[row.scene].make(dir);
    const FolderSnapshot before = TakeSnapshot(dir.path());
    MessageRecorder recorder;
    {
        FaultInjector faults;
        faults.FailNth(row.call, row.nth, row.errorNumber);
        EXPECT_THROW(Combine(sources, destination.c_str()), CUserException);
        EXPECT_EQ(faults.Injected(), 1);
    }
    EXPECT_EQ(recorder.texts(), std::vector<std::string>{"The output GRIB file " + destination +
                                                         " is also one of the sources."});
    EXPECT_EQ(TakeSnapshot(dir.path()), before);
}

INSTANTIATE_TEST_SUITE_P(EveryCall, GuardUnderFaults, testing::ValuesIn(GuardRows()),
                         [](const auto& info) { return info.param.name; });

} // namespace
