// The file layer under failing and interrupted system calls: callers see the
// whole count or an exception, never a silent short transfer.
#include "platform/core/cfile.h"
#include "tests/support/fault_injection.h"
#include "tests/support/test_files.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

constexpr unsigned kChunk = 32768;
const std::string kContent = PatternBytes(100000, 7);

struct Rule {
    SysCall call;
    int first;
    Failure failure;
    int times;
};

struct RetryCase {
    const char* name;
    std::vector<Rule> rules;
};

void PrintTo(const RetryCase& c, std::ostream* out) {
    *out << c.name;
}

void Install(FaultInjector& faults, const std::vector<Rule>& rules) {
    for (const auto& rule : rules)
        faults.Inject(rule.call, rule.first, rule.failure, rule.times);
}

const Failure kEintr = Failure::Error(EINTR);

class ReadRetries : public testing::TestWithParam<RetryCase> {};

TEST_P(ReadRetries, DeliverFullChunksUntilTheEnd) {
    ScopedTempDir dir;
    const std::string path = dir / "in.grb";
    WriteFile(path, kContent);
    CFile in;
    ASSERT_TRUE(in.Open(path.c_str(), CFile::modeRead));

    FaultInjector faults;
    Install(faults, GetParam().rules);
    std::string got;
    std::vector<unsigned> counts;
    char chunk[kChunk];
    for (unsigned n = in.Read(chunk, kChunk); n > 0; n = in.Read(chunk, kChunk)) {
        counts.push_back(n);
        got.append(chunk, n);
    }
    in.Close();

    EXPECT_GT(faults.Injected(), 0);
    EXPECT_EQ(got, kContent);
    EXPECT_EQ(counts, (std::vector<unsigned>{kChunk, kChunk, kChunk, 100000 - 3 * kChunk}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadRetries,
    testing::Values(RetryCase{"InterruptedFirstRead", {{SysCall::read, 0, kEintr, 1}}},
                    RetryCase{"EveryReadInterruptedOnce",
                              {{SysCall::read, 0, kEintr, 1},
                               {SysCall::read, 2, kEintr, 1},
                               {SysCall::read, 4, kEintr, 1}}},
                    RetryCase{"EveryReadShort", {{SysCall::read, 0, Failure::Short(), -1}}},
                    RetryCase{
                        "InterruptedThenShort",
                        {{SysCall::read, 0, kEintr, 1}, {SysCall::read, 1, Failure::Short(), -1}}}),
    [](const auto& info) { return std::string(info.param.name); });

class WriteRetries : public testing::TestWithParam<RetryCase> {};

TEST_P(WriteRetries, StoreEveryByte) {
    ScopedTempDir dir;
    const std::string path = dir / "out.grb";
    CFile out;
    ASSERT_TRUE(out.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite));
    {
        FaultInjector faults;
        Install(faults, GetParam().rules);
        out.Write(kContent.data(), static_cast<unsigned>(kContent.size()));
        out.Write("tail", 4);
        out.Close();
        EXPECT_GT(faults.Injected(), 0);
    }
    EXPECT_EQ(ReadFile(path), kContent + "tail");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WriteRetries,
    testing::Values(RetryCase{"InterruptedFirstWrite", {{SysCall::write, 0, kEintr, 1}}},
                    RetryCase{"EveryWriteShort", {{SysCall::write, 0, Failure::Short(), -1}}},
                    RetryCase{
                        "ShortThenInterrupted",
                        {{SysCall::write, 0, Failure::Short(), 1}, {SysCall::write, 1, kEintr, 1}}},
                    RetryCase{"InterruptedClose", {{SysCall::close, 0, kEintr, 1}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CFileFaults, AShortWriteIsRetriedBeforeANoProgressWriteCountsAsFullDisk) {
    ScopedTempDir dir;
    const std::string path = dir / "out.grb";
    CFile out;
    ASSERT_TRUE(out.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite));
    FaultInjector faults;
    faults.Inject(SysCall::write, 0, Failure::Short());
    faults.Inject(SysCall::write, 1, Failure::NoProgress());
    try {
        out.Write(kContent.data(), static_cast<unsigned>(kContent.size()));
        FAIL() << "no exception raised";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.m_cause, CFileException::diskFull);
        EXPECT_EQ(e.GetErrorMessage().str(), "Disk full while accessing " + path + ".");
    }
    EXPECT_EQ(faults.Count(SysCall::write), 2) << "the short write was not retried";
    out.Close();
    EXPECT_EQ(ReadFile(path), kContent.substr(0, kContent.size() / 2));
}

struct ErrorCase {
    const char* name;
    SysCall call;
    int errorNumber;
    CFileException::Cause cause;
    bool named; // the report names the file
};

void PrintTo(const ErrorCase& c, std::ostream* out) {
    *out << c.name;
}

class FailingOperations : public testing::TestWithParam<ErrorCase> {};

TEST_P(FailingOperations, RaiseTheCauseAndReleaseTheDescriptor) {
    const auto& c = GetParam();
    ScopedTempDir dir;
    const std::string path = dir / "file.grb";
    WriteFile(path, kContent);
    const int descriptors = OpenDescriptorCount();
    {
        CFile file;
        ASSERT_TRUE(file.Open(path.c_str(),
                              CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite));
        FaultInjector faults;
        faults.FailNth(c.call, 0, c.errorNumber);
        char buffer[16];
        try {
            switch (c.call) {
            case SysCall::lseek:
                file.SeekToEnd();
                break;
            case SysCall::read:
                file.Read(buffer, sizeof buffer);
                break;
            case SysCall::write:
                file.Write("x", 1);
                break;
            default:
                file.Close();
                break;
            }
            FAIL() << "no exception raised";
        } catch (const CFileException& e) {
            EXPECT_EQ(e.m_cause, c.cause);
            EXPECT_EQ(e.m_lOsError, c.errorNumber);
            EXPECT_EQ(e.m_strFileName.str(), c.named ? path : "");
        }
        EXPECT_EQ(faults.Injected(), 1);
    }
    EXPECT_EQ(OpenDescriptorCount(), descriptors);
    EXPECT_EQ(ReadFile(path), kContent);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FailingOperations,
    testing::Values(
        ErrorCase{"SeekIoError", SysCall::lseek, EIO, CFileException::hardIO, false},
        ErrorCase{"SeekOverflow", SysCall::lseek, EOVERFLOW, CFileException::genericException,
                  false},
        ErrorCase{"ReadIoError", SysCall::read, EIO, CFileException::hardIO, false},
        ErrorCase{"ReadLocked", SysCall::read, EWOULDBLOCK, CFileException::sharingViolation,
                  false},
        ErrorCase{"WriteDiskFull", SysCall::write, ENOSPC, CFileException::diskFull, true},
        ErrorCase{"WriteQuota", SysCall::write, EDQUOT, CFileException::diskFull, true},
        ErrorCase{"WriteDenied", SysCall::write, EACCES, CFileException::accessDenied, true},
        ErrorCase{"CloseIoError", SysCall::close, EIO, CFileException::hardIO, false}),
    [](const auto& info) { return std::string(info.param.name); });

struct OpenCase {
    const char* name;
    std::vector<Rule> rules;
    unsigned flags;
    bool opens;
    CFileException::Cause cause; // when it does not
};

void PrintTo(const OpenCase& c, std::ostream* out) {
    *out << c.name;
}

class OpenUnderFaults : public testing::TestWithParam<OpenCase> {};

TEST_P(OpenUnderFaults, OpensOrRefusesWithoutLeavingADescriptorOrTouchingTheFile) {
    const auto& c = GetParam();
    ScopedTempDir dir;
    const std::string path = dir / "file.grb";
    WriteFile(path, kContent);
    const int descriptors = OpenDescriptorCount();
    CFileException why;
    bool opened;
    {
        FaultInjector faults;
        Install(faults, c.rules);
        CFile file;
        opened = file.Open(path.c_str(), c.flags, &why);
        EXPECT_GT(faults.Injected(), 0);
    }
    EXPECT_EQ(opened, c.opens);
    if (!c.opens) {
        EXPECT_EQ(why.m_cause, c.cause);
        EXPECT_EQ(why.m_strFileName.str(), path);
        EXPECT_EQ(ReadFile(path), kContent) << "a refused open changed the file";
    }
    EXPECT_EQ(OpenDescriptorCount(), descriptors);
}

constexpr unsigned kAppendFlags = CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite;
constexpr unsigned kTruncateFlags = CFile::modeCreate | CFile::modeWrite;

INSTANTIATE_TEST_SUITE_P(
    Cases, OpenUnderFaults,
    testing::Values(
        OpenCase{"InterruptedOpen", {{SysCall::open, 0, kEintr, 1}}, kAppendFlags, true, {}},
        OpenCase{"InterruptedLock", {{SysCall::flock, 0, kEintr, 2}}, kAppendFlags, true, {}},
        OpenCase{
            "InterruptedTruncate", {{SysCall::ftruncate, 0, kEintr, 1}}, kTruncateFlags, true, {}},
        OpenCase{"Missing",
                 {{SysCall::open, 0, Failure::Error(ENOENT), 1}},
                 CFile::modeRead,
                 false,
                 CFileException::fileNotFound},
        OpenCase{"HeldElsewhere",
                 {{SysCall::flock, 0, Failure::Error(EWOULDBLOCK), 1}},
                 kAppendFlags,
                 false,
                 CFileException::sharingViolation},
        OpenCase{"CannotExamineBeforeTruncating",
                 {{SysCall::fstat, 0, Failure::Error(EIO), 1}},
                 kTruncateFlags,
                 false,
                 CFileException::hardIO},
        OpenCase{"CannotTruncate",
                 {{SysCall::ftruncate, 0, Failure::Error(EACCES), 1}},
                 kTruncateFlags,
                 false,
                 CFileException::accessDenied}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CFileFaults, ARelativePathStaysRelativeWhenTheCurrentFolderIsUnknown) {
    FaultInjector faults;
    faults.FailNth(SysCall::getcwd, 0, ENOENT);
    EXPECT_EQ(FullPathName("sub/../x.grb").str(), "x.grb");
    EXPECT_EQ(faults.Injected(), 1);
}

} // namespace
