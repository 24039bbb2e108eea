// A combine run when memory runs out: every allocation of a run is made to
// fail in turn. The run must end with "Out of memory." reported the way the
// application reports it, and lose nothing; libbzip2's own allocations must end
// as a failed expansion, not a crash.
#include "engine/combine.h"
#include "platform/core/exception_report.h"
#include "tests/support/failing_allocation.h"
#include "tests/support/fault_injection.h"
#include "tests/support/folder_snapshot.h"
#include "tests/support/message_recorder.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

namespace {

// The run: a plain source, a two-stream compressed one whose target holds an
// earlier expansion, and a second plain source, into a destination that
// holds an earlier result.
const std::string kFirst = PatternBytes(40000, 1);
const std::string kSecondA = PatternBytes(12000, 2), kSecondB = PatternBytes(5000, 3);
const std::string kThird = PatternBytes(33000, 4);
const std::string kCompressed = Bz2Compress(kSecondA) + Bz2Compress(kSecondB);
const std::string kEarlierCopy = "expansion from an earlier run";
const std::string kEarlierResult = "result of an earlier run";

struct Scene {
    explicit Scene(const ScopedTempDir& dir)
        : destination(dir / "out.grb"), compressed(dir / "Two.grb.bz2"), copy(dir / "Two.grb") {
        WriteFile(dir / "one.grb", kFirst);
        WriteFile(compressed, kCompressed);
        WriteFile(copy, kEarlierCopy);
        WriteFile(dir / "three.grb", kThird);
        WriteFile(dir / "notes.txt", "not part of the run");
        WriteFile(destination, kEarlierResult);
        sources.Add((dir / "one.grb").c_str());
        sources.Add(compressed.c_str());
        sources.Add((dir / "three.grb").c_str());
    }
    std::string destination, compressed, copy;
    CStringArray sources;
};

// What every run must leave, whatever failed: the sources and the unrelated
// file as they were, the expanded copy untouched or complete, no temporary
// file and no open descriptor more than before.
void ExpectNothingLost(const ScopedTempDir& dir, const FolderSnapshot& before,
                       const FolderSnapshot& after, int descriptors) {
    for (const char* name : {"one.grb", "Two.grb.bz2", "three.grb", "notes.txt"})
        EXPECT_EQ(after.at(name), before.at(name)) << name;
    EXPECT_TRUE(after.at("Two.grb") == "file " + kEarlierCopy ||
                after.at("Two.grb") == "file " + kSecondA + kSecondB)
        << "the expanded copy is neither untouched nor complete";
    std::set<std::string> names;
    for (const auto& [name, content] : after)
        names.insert(name);
    names.erase("out.grb");
    EXPECT_EQ(names, (std::set<std::string>{"one.grb", "Two.grb.bz2", "Two.grb", "three.grb",
                                            "notes.txt"}))
        << "a temporary file was left behind in " << dir.path();
    EXPECT_EQ(OpenDescriptorCount(), descriptors) << "a descriptor leaked";
}

long CountedAllocations() {
    ScopedTempDir dir;
    Scene scene(dir);
    MessageRecorder recorder;
    allocation_faults::Arm();
    Combine(scene.sources, scene.destination.c_str());
    return allocation_faults::Disarm();
}

std::vector<long> Indexes(long count) {
    std::vector<long> indexes;
    for (long i = 0; i < count; ++i)
        indexes.push_back(i);
    return indexes;
}

class OutOfMemory : public testing::TestWithParam<long> {};

TEST_P(OutOfMemory, IsReportedAndLosesNothing) {
    ScopedTempDir dir;
    const Scene scene(dir);
    const FolderSnapshot before = TakeSnapshot(dir.path());
    const int descriptors = OpenDescriptorCount();
    MessageRecorder recorder;

    std::exception_ptr failure;
    allocation_faults::Arm(GetParam());
    try {
        Combine(scene.sources, scene.destination.c_str());
    } catch (...) {
        failure = std::current_exception();
    }
    const long made = allocation_faults::Disarm();
    ASSERT_GT(made, GetParam()) << "the run made fewer allocations than when counted";
    ASSERT_TRUE(failure) << "the failed allocation went unnoticed";
    ReportException(failure);

    ASSERT_EQ(recorder.boxes().size(), 1u) << testing::PrintToString(recorder.texts());
    EXPECT_EQ(recorder.boxes()[0].text, "Out of memory.");
    EXPECT_EQ(recorder.boxes()[0].type, static_cast<unsigned>(MB_ICONEXCLAMATION | MB_SYSTEMMODAL));

    const FolderSnapshot after = TakeSnapshot(dir.path());
    ExpectNothingLost(dir, before, after, descriptors);
    // The run ended where memory ran out: the destination is the earlier
    // result (nothing deleted yet), gone, or the sources appended so far. The
    // copy loop allocates nothing, so no source is ever cut.
    const std::set<std::string> allowed = {"file " + kEarlierResult, "file ", "file " + kFirst,
                                           "file " + kFirst + kSecondA + kSecondB,
                                           "file " + kFirst + kSecondA + kSecondB + kThird};
    const auto destination = after.find("out.grb");
    if (destination != after.end()) {
        EXPECT_TRUE(allowed.count(destination->second))
            << "the destination holds " << destination->second.size() - 5 << " bytes";
    }
}

INSTANTIATE_TEST_SUITE_P(EveryAllocation, OutOfMemory,
                         testing::ValuesIn(Indexes(CountedAllocations())), [](const auto& info) {
                             return "allocation" + std::to_string(info.param);
                         });

// libbzip2 allocates with malloc, outside operator new, and so does the C
// library for the stream the expander reads through. A failure there is a
// failed expansion, reported, and the run goes on without that source; where
// the C library can do without the memory (a stream's buffer), the run is as
// if nothing had failed.
struct MallocRow {
    const char* library;
    long index;
    bool mustFail; // every allocation of this library is needed
};

void PrintTo(const MallocRow& row, std::ostream* out) {
    *out << row.library << " malloc " << row.index;
}

long CountedLibraryMallocs(const char* library) {
    ScopedTempDir dir;
    Scene scene(dir);
    MessageRecorder recorder;
    allocation_faults::ArmLibraryMalloc(library);
    Combine(scene.sources, scene.destination.c_str());
    return allocation_faults::DisarmLibraryMalloc();
}

std::vector<MallocRow> MallocRows() {
    std::vector<MallocRow> rows;
    if (!allocation_faults::LibraryMallocSupported())
        return rows;
    for (const auto& [library, mustFail] : {std::pair{"libbz2", true}, {"libc.so", false}})
        for (long i = 0, count = CountedLibraryMallocs(library); i < count; ++i)
            rows.push_back({library, i, mustFail});
    return rows;
}

class LibraryOutOfMemory : public testing::TestWithParam<MallocRow> {};
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(LibraryOutOfMemory);

TEST_P(LibraryOutOfMemory, EndsAsAFailedExpansionAndTheRunGoesOn) {
    const MallocRow& row = GetParam();
    ScopedTempDir dir;
    const Scene scene(dir);
    const FolderSnapshot before = TakeSnapshot(dir.path());
    const int descriptors = OpenDescriptorCount();
    MessageRecorder recorder;

    allocation_faults::ArmLibraryMalloc(row.library, row.index);
    Combine(scene.sources, scene.destination.c_str());
    ASSERT_GT(allocation_faults::DisarmLibraryMalloc(), row.index);

    const FolderSnapshot after = TakeSnapshot(dir.path());
    ExpectNothingLost(dir, before, after, descriptors);
    if (row.mustFail || !recorder.boxes().empty()) {
        EXPECT_EQ(recorder.texts(),
                  std::vector<std::string>{"Could not expand compressed GRIB file " +
                                           scene.compressed + "."});
        EXPECT_EQ(after.at("Two.grb"), "file " + kEarlierCopy);
        EXPECT_EQ(after.at("out.grb"), "file " + kFirst + kThird);
    } else {
        EXPECT_EQ(after.at("Two.grb"), "file " + kSecondA + kSecondB);
        EXPECT_EQ(after.at("out.grb"), "file " + kFirst + kSecondA + kSecondB + kThird);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryLibraryAllocation, LibraryOutOfMemory,
                         testing::ValuesIn(MallocRows()), [](const auto& info) {
                             std::string name = info.param.library;
                             name = name.substr(0, name.find('.'));
                             return name + "_malloc" + std::to_string(info.param.index);
                         });

TEST(LibraryOutOfMemoryCoverage, EveryStreamAllocatesAndIsCovered) {
    if (!allocation_faults::LibraryMallocSupported())
        GTEST_SKIP() << "AddressSanitizer owns malloc; its allocations cannot be failed here";
    // Per stream: the reading handle, the decoder and its block buffer.
    EXPECT_GE(CountedLibraryMallocs("libbz2"), 6);
    // The stream the source is read through.
    EXPECT_GE(CountedLibraryMallocs("libc.so"), 1);
}

} // namespace
