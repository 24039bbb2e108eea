// Every system call of a realistic combine run, made to fail in every way
// that matters, one row per (call, failure). The rows are not picked by hand:
// a recorded run without faults lists the calls, and each is failed in turn.
//
// For every row the run must show what the behaviour prescribes for a failure
// at that point, and it must lose nothing: the sources, every file other than
// the destination and the expanded copies, and each expanded copy (untouched
// or complete) are checked, together with leftover temporary files, leaked
// descriptors and the exact content of the destination.
#include "engine/combine.h"
#include "platform/core/exception_report.h"
#include "platform/core/exceptions.h"
#include "tests/support/fault_injection.h"
#include "tests/support/folder_snapshot.h"
#include "tests/support/message_recorder.h"
#include "tests/support/test_files.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// ---- The scene ---------------------------------------------------------------

// One source of the run: its file name, the bytes on disk, and what it adds
// to the destination. A compressed source expands to its name without ".bz2".
struct SourceFile {
    std::string name;
    std::string onDisk;
    std::string contribution;
    bool compressed;
    std::string earlierCopy; // held at the target path before the run; "" for none
};

const std::vector<SourceFile>& SceneSources() {
    static const std::vector<SourceFile> sources = [] {
        const std::string run1 = PatternBytes(70000, 1); // two whole chunks and a part
        const std::string run2 = PatternBytes(50000, 2);
        // As a parallel compressor writes it: several streams, one a whole piece.
        const std::string run3a = PatternBytes(20000, 3), run3b = PatternBytes(4096, 4),
                          run3c = PatternBytes(9000, 5);
        const std::string run4 = PatternBytes(32768, 6); // exactly one chunk
        return std::vector<SourceFile>{
            {"Run1.grb", run1, run1, false, ""},
            {"Run2.grb.bz2", Bz2Compress(run2), run2, true, "expansion from an earlier run"},
            {"Run3.grb.bz2", Bz2Compress(run3a) + Bz2Compress(run3b, 1) + Bz2Compress(run3c),
             run3a + run3b + run3c, true, ""},
            {"run4.GRB", run4, run4, false, ""},
        };
    }();
    return sources;
}

const std::string kEarlierResult = "result of an earlier run";
const std::string kNotes = "a file in the same folder that no run may touch";

struct Scene {
    explicit Scene(const ScopedTempDir& dir) : folder(dir.path().string()) {
        destination = dir / "out.grb";
        WriteFile(destination, kEarlierResult);
        WriteFile(dir / "notes.txt", kNotes);
        for (const auto& source : SceneSources()) {
            sources.Add((dir / source.name).c_str());
            WriteFile(dir / source.name, source.onDisk);
            if (!source.earlierCopy.empty())
                WriteFile(Target(source), source.earlierCopy);
        }
    }
    std::string Path(const SourceFile& source) const { return folder + "/" + source.name; }
    std::string Target(const SourceFile& source) const {
        return source.compressed ? Path(source).substr(0, Path(source).size() - 4) : Path(source);
    }

    std::string folder;
    std::string destination;
    CStringArray sources;
};

// ---- Where a call belongs ----------------------------------------------------

// The part of the run a call is made in: the guards before any file is
// touched, the expansion of a compressed source, or the append of a source.
struct Stage {
    enum Kind { prepare, expand, append } kind = prepare;
    int source = -1;
    int order = -1; // position among the stages of the run; prepare is -1
};

// What a call's path is to the scene.
struct Role {
    enum Kind { none, destination, source, target, temporary } kind = none;
    int index = -1; // the source it belongs to
};

Role RoleOf(const Scene& scene, const std::string& path) {
    if (path == scene.destination)
        return {Role::destination};
    const auto& sources = SceneSources();
    for (int i = 0; i < static_cast<int>(sources.size()); ++i) {
        const std::string target = scene.Target(sources[i]);
        const std::string name = target.substr(scene.folder.size() + 1);
        if (path == scene.Path(sources[i]))
            return {Role::source, i};
        if (sources[i].compressed && path == target)
            return {Role::target, i};
        if (path.starts_with(scene.folder + "/." + name + ".") && path.ends_with(".part"))
            return {Role::temporary, i};
    }
    return {};
}

const char* RoleName(const Role& role) {
    static const char* const names[] = {"None", "Out", "Src", "Copy", "Temp"};
    return names[role.kind];
}

// Splits a recorded run into its stages: an expansion begins when its
// compressed source is opened, an append when the destination is opened.
std::vector<Stage> StagesOf(const Scene& scene, const std::vector<CallRecord>& calls) {
    std::vector<Stage> stages;
    Stage current;
    int order = -1;
    std::size_t nextAppend = 0;
    std::vector<int> appended;
    for (int i = 0; i < static_cast<int>(SceneSources().size()); ++i)
        appended.push_back(i);
    for (const auto& call : calls) {
        const Role role = RoleOf(scene, call.path);
        if (call.call == SysCall::open && role.kind == Role::source &&
            SceneSources()[role.index].compressed)
            current = {Stage::expand, role.index, ++order};
        else if (call.call == SysCall::open && role.kind == Role::destination)
            current = {Stage::append, appended.at(nextAppend++), ++order};
        stages.push_back(current);
    }
    return stages;
}

// ---- The rows ----------------------------------------------------------------

struct Baseline {
    std::vector<CallRecord> calls;
    std::vector<Stage> stages;
    std::vector<Role> roles;
    std::vector<Stage> stageList; // every expansion and append, in order
};

const Baseline& RecordedRun() {
    static const Baseline baseline = [] {
        ScopedTempDir dir;
        Scene scene(dir);
        MessageRecorder recorder;
        Baseline result;
        {
            FaultInjector faults;
            Combine(scene.sources, scene.destination.c_str());
            result.calls = faults.calls();
        }
        if (!recorder.boxes().empty())
            throw std::runtime_error("the run without faults showed a message");
        result.stages = StagesOf(scene, result.calls);
        for (const auto& call : result.calls)
            result.roles.push_back(RoleOf(scene, call.path));
        for (const auto& stage : result.stages)
            if (stage.order >= 0 &&
                (result.stageList.empty() || result.stageList.back().order != stage.order))
                result.stageList.push_back(stage);
        return result;
    }();
    return baseline;
}

struct Row {
    std::string name;
    int call = -1; // index into the recorded calls; -1 for the run without faults
    Failure failure;
};

void PrintTo(const Row& row, std::ostream* out) {
    *out << row.name;
}

std::vector<Failure> FailuresFor(SysCall call) {
    std::vector<Failure> failures;
    for (const int error : {ENOSPC, EIO, EACCES, ENOENT, EISDIR, EWOULDBLOCK, EINTR}) {
        // An ENOENT that the run trusts (the destination is gone) is only
        // honest when the file really went: another program removed it.
        const bool trusted = error == ENOENT && (call == SysCall::lstat || call == SysCall::unlink);
        failures.push_back(trusted ? Failure::Vanished() : Failure::Error(error));
    }
    if (call == SysCall::read || call == SysCall::write)
        failures.push_back(Failure::Short());
    if (call == SysCall::write)
        failures.push_back(Failure::NoProgress());
    return failures;
}

std::vector<Row> AllRows() {
    const Baseline& baseline = RecordedRun();
    std::vector<Row> rows{{"NoFault", -1, {}}};
    for (int i = 0; i < static_cast<int>(baseline.calls.size()); ++i) {
        const CallRecord& call = baseline.calls[i];
        const Role& role = baseline.roles[i];
        for (const Failure& failure : FailuresFor(call.call)) {
            std::string name = std::string(SysCallName(call.call)) + std::to_string(call.nth) +
                               "_" + RoleName(role);
            if (role.index >= 0)
                name += std::to_string(role.index + 1);
            rows.push_back({name + "_" + Describe(failure), i, failure});
        }
    }
    return rows;
}

// ---- What each row must show -------------------------------------------------

enum class Outcome {
    same,              // the failure is retried or harmless: the run is as without it
    refused,           // the destination cannot be replaced: nothing is touched
    expandFailure,     // the source is reported and skipped, the run goes on
    outputOpenFailure, // the destination cannot be opened for this source: skipped
    inputOpenFailure,  // the file to append cannot be opened: skipped
    fileError,         // raised, reported by the caller, the run ends
};

bool Interruptible(SysCall call) {
    switch (call) {
    case SysCall::open:
    case SysCall::flock:
    case SysCall::read:
    case SysCall::write:
    case SysCall::fsync:
    case SysCall::ftruncate:
    case SysCall::getrandom:
        return true;
    default:
        return false;
    }
}

Outcome Expect(SysCall call, const Stage& stage, const Role& role, const Failure& failure) {
    if (failure.kind == Failure::shortCount)
        return Outcome::same; // finished by the caller
    const bool interrupted = failure.kind == Failure::error && failure.errorNumber == EINTR;
    if (interrupted && Interruptible(call))
        return Outcome::same; // made again
    if (interrupted && call == SysCall::close)
        return Outcome::same; // the file is closed all the same
    switch (stage.kind) {
    case Stage::prepare:
        if (call == SysCall::stat || call == SysCall::realpath)
            return Outcome::same; // the guard only compares, and no source is the destination
        return failure.kind == Failure::vanished ? Outcome::same : Outcome::refused;
    case Stage::expand:
        if (call == SysCall::close && role.kind == Role::source)
            return Outcome::same; // the source was read to its end
        if (call == SysCall::getrandom)
            return Outcome::same; // the temporary name is made another way
        if (call == SysCall::sync_file_range)
            return Outcome::same; // only a hint; the flush reports any error
        return Outcome::expandFailure;
    case Stage::append:
        if (call == SysCall::open || call == SysCall::flock)
            return role.kind == Role::destination ? Outcome::outputOpenFailure
                                                  : Outcome::inputOpenFailure;
        return Outcome::fileError;
    }
    return Outcome::same;
}

// The report of a file error, written out here rather than taken from the code
// under test.
std::string FileErrorReport(const Failure& failure, const std::string& name) {
    std::string text = "An unknown error occurred while accessing %1.";
    const int error = failure.kind == Failure::noProgress ? ENOSPC : failure.errorNumber;
    switch (error) {
    case ENOSPC:
        text = "Disk full while accessing %1.";
        break;
    case EIO:
        text = "A hardware I/O error was reported while accessing %1.";
        break;
    case EACCES:
        text = "Access to %1 was denied.";
        break;
    case ENOENT:
        text = "%1 was not found.";
        break;
    case EWOULDBLOCK:
        text = "A sharing violation occurred while accessing %1.";
        break;
    default:
        break;
    }
    text.replace(text.find("%1"), 2, name.empty() ? "an unnamed file" : name);
    return text;
}

struct Expectation {
    Outcome outcome = Outcome::same;
    std::vector<MessageRecorder::Box> boxes;
    std::optional<std::string> destination;
    std::vector<bool> expanded; // per source: the copy is complete (else untouched)
};

Expectation Expected(const Scene& scene, const Row& row) {
    const Baseline& baseline = RecordedRun();
    const auto& sources = SceneSources();
    Expectation e;
    Stage stage;
    if (row.call >= 0) {
        const CallRecord& call = baseline.calls[row.call];
        stage = baseline.stages[row.call];
        e.outcome = Expect(call.call, stage, baseline.roles[row.call], row.failure);
    }
    const unsigned okBox = MB_ICONEXCLAMATION;
    std::string all;
    for (const auto& source : sources)
        all += source.contribution;
    std::string withoutStageSource;
    for (int i = 0; i < static_cast<int>(sources.size()); ++i)
        if (i != stage.source)
            withoutStageSource += sources[i].contribution;

    e.expanded.assign(sources.size(), true);
    switch (e.outcome) {
    case Outcome::same:
        e.destination = all;
        break;
    case Outcome::refused:
        e.boxes = {{"Could not replace output GRIB file " + scene.destination + ".", okBox}};
        e.destination = kEarlierResult;
        e.expanded.assign(sources.size(), false);
        break;
    case Outcome::expandFailure:
        e.boxes = {
            {"Could not expand compressed GRIB file " + scene.Path(sources[stage.source]) + ".",
             okBox}};
        e.destination = withoutStageSource;
        e.expanded[stage.source] = false;
        break;
    case Outcome::outputOpenFailure:
        e.boxes = {{"Could not open output GRIB file " + scene.destination + ".", okBox}};
        e.destination = withoutStageSource;
        break;
    case Outcome::inputOpenFailure:
        e.boxes = {
            {"Cound not open input GRIB file " + scene.Target(sources[stage.source]) + ".", okBox}};
        e.destination = withoutStageSource;
        break;
    case Outcome::fileError: {
        const CallRecord& call = baseline.calls[row.call];
        const bool named = call.call == SysCall::write;
        e.boxes = {{FileErrorReport(row.failure, named ? scene.destination : ""), MB_ICONSTOP}};
        // Everything appended before, and what the failing append wrote before
        // the failing call (the injected call itself writes nothing).
        std::size_t written = 0;
        for (int i = 0; i < row.call; ++i)
            if (baseline.stages[i].order == stage.order && baseline.calls[i].call == SysCall::write)
                written += static_cast<std::size_t>(baseline.calls[i].result);
        std::string kept;
        for (int i = 0; i < stage.source; ++i)
            kept += sources[i].contribution;
        e.destination = kept + sources[stage.source].contribution.substr(0, written);
        // The run ended: the expansions after the failing append never ran.
        for (const auto& later : baseline.stageList)
            if (later.order > stage.order && later.kind == Stage::expand)
                e.expanded[later.source] = false;
        break;
    }
    }
    for (int i = 0; i < static_cast<int>(sources.size()); ++i)
        if (!sources[i].compressed)
            e.expanded[i] = false;
    return e;
}

// ---- The test ----------------------------------------------------------------

class FaultTable : public testing::TestWithParam<Row> {};

TEST_P(FaultTable, ReportsAsPrescribedAndLosesNothing) {
    const Row& row = GetParam();
    const Baseline& baseline = RecordedRun();
    ScopedTempDir dir;
    const Scene scene(dir);
    const FolderSnapshot before = TakeSnapshot(dir.path());
    const Expectation expected = Expected(scene, row);
    const int descriptors = OpenDescriptorCount();

    MessageRecorder recorder;
    std::exception_ptr failure;
    int injected = 0;
    {
        FaultInjector faults;
        if (row.call >= 0) {
            const CallRecord& call = baseline.calls[row.call];
            faults.Inject(call.call, call.nth, row.failure);
        }
        try {
            Combine(scene.sources, scene.destination.c_str());
        } catch (...) {
            failure = std::current_exception();
        }
        injected = faults.Injected();
    }
    // The caller of a command reports what left it.
    if (failure)
        ReportException(failure);

    EXPECT_EQ(injected, row.call >= 0 ? 1 : 0) << "the run did not reach the call to fail";

    // The message or report.
    ASSERT_EQ(recorder.boxes().size(), expected.boxes.size())
        << testing::PrintToString(recorder.texts());
    for (std::size_t i = 0; i < expected.boxes.size(); ++i) {
        EXPECT_EQ(recorder.boxes()[i].text, expected.boxes[i].text);
        EXPECT_EQ(recorder.boxes()[i].type, expected.boxes[i].type);
    }
    const auto raised = [&]() -> std::string {
        if (!failure)
            return "nothing";
        try {
            std::rethrow_exception(failure);
        } catch (const CUserException&) {
            return "CUserException";
        } catch (const CFileException&) {
            return "CFileException";
        } catch (...) {
            return "something else";
        }
    }();
    EXPECT_EQ(raised, expected.outcome == Outcome::refused     ? "CUserException"
                      : expected.outcome == Outcome::fileError ? "CFileException"
                                                               : "nothing");

    // Nothing lost: compare every entry of the folder with what it held.
    FolderSnapshot after = TakeSnapshot(dir.path());
    const auto& sources = SceneSources();
    FolderSnapshot expectedAfter = before;
    expectedAfter.erase("out.grb");
    if (expected.destination)
        expectedAfter["out.grb"] = "file " + *expected.destination;
    for (std::size_t i = 0; i < sources.size(); ++i) {
        if (!sources[i].compressed)
            continue;
        const std::string copy = scene.Target(sources[i]).substr(scene.folder.size() + 1);
        const bool untouched =
            before.count(copy) ? after[copy] == before.at(copy) : after.count(copy) == 0;
        EXPECT_TRUE(untouched || after[copy] == "file " + sources[i].contribution)
            << copy << " is neither untouched nor the complete expansion";
        if (expected.expanded[i])
            expectedAfter[copy] = "file " + sources[i].contribution;
    }
    // Compared entry by entry, so a failure names the file.
    for (const auto& [name, content] : expectedAfter) {
        const auto found = after.find(name);
        if (found == after.end()) {
            ADD_FAILURE() << name << " is missing";
            continue;
        }
        EXPECT_TRUE(found->second == content)
            << name << " holds " << found->second.size() << " bytes, expected " << content.size()
            << (content.starts_with("file ") ? " (a file)" : "");
    }
    for (const auto& [name, content] : after)
        EXPECT_TRUE(expectedAfter.count(name)) << name << " was left behind";

    EXPECT_EQ(OpenDescriptorCount(), descriptors) << "a descriptor leaked";
}

INSTANTIATE_TEST_SUITE_P(EveryCall, FaultTable, testing::ValuesIn(AllRows()),
                         [](const auto& info) { return info.param.name; });

// The table is only as good as the run it covers: make sure it covers every
// kind of call a run makes and every stage of the run.
TEST(FaultTableCoverage, TheRecordedRunMakesEveryKindOfCallInEveryStage) {
    const Baseline& baseline = RecordedRun();
    std::set<std::string> seen;
    for (std::size_t i = 0; i < baseline.calls.size(); ++i)
        seen.insert(std::string(SysCallName(baseline.calls[i].call)) + "/" +
                    RoleName(baseline.roles[i]));
    for (const char* expected :
         {"stat/Out",   "stat/Src",    "stat/Copy",      "lstat/Out",  "unlink/Out", "open/Src",
          "read/Src",   "close/Src",   "getrandom/None", "open/Temp",  "write/Temp", "fsync/Temp",
          "close/Temp", "rename/Temp", "open/Out",       "flock/Out",  "lseek/Out",  "open/Copy",
          "flock/Copy", "read/Copy",   "write/Out",      "close/Copy", "close/Out",  "flock/Src"})
        EXPECT_TRUE(seen.count(expected)) << expected;
    ASSERT_EQ(baseline.stageList.size(), 6u);
    EXPECT_EQ(baseline.stageList[1].kind, Stage::expand);
}

} // namespace
