#include "platform/core/exception_report.h"
#include "platform/core/exceptions.h"
#include "platform/core/message_box.h"
#include "tests/support/message_recorder.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <new>

namespace {

struct ErrnoCase {
    const char* name;
    int osError;
    CFileException::Cause cause;
    const char* report; // for the file "/tmp/x.grb"
};

void PrintTo(const ErrnoCase& c, std::ostream* out) {
    *out << c.name;
}

class FileExceptionFromErrno : public testing::TestWithParam<ErrnoCase> {};

TEST_P(FileExceptionFromErrno, MapsCauseAndReportText) {
    const auto& c = GetParam();
    try {
        CFileException::ThrowOsError(c.osError, "/tmp/x.grb");
        FAIL() << "no exception raised";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.m_cause, c.cause);
        EXPECT_EQ(e.m_lOsError, c.osError);
        EXPECT_EQ(e.GetErrorMessage().str(), c.report);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Causes, FileExceptionFromErrno,
    testing::Values(
        ErrnoCase{"DiskFull", ENOSPC, CFileException::diskFull,
                  "Disk full while accessing /tmp/x.grb."},
        ErrnoCase{"QuotaExceeded", EDQUOT, CFileException::diskFull,
                  "Disk full while accessing /tmp/x.grb."},
        ErrnoCase{"AccessDenied", EACCES, CFileException::accessDenied,
                  "Access to /tmp/x.grb was denied."},
        ErrnoCase{"NotPermitted", EPERM, CFileException::accessDenied,
                  "Access to /tmp/x.grb was denied."},
        ErrnoCase{"ReadOnlyFileSystem", EROFS, CFileException::accessDenied,
                  "Access to /tmp/x.grb was denied."},
        ErrnoCase{"NotFound", ENOENT, CFileException::fileNotFound, "/tmp/x.grb was not found."},
        ErrnoCase{"TooManyFiles", EMFILE, CFileException::tooManyOpenFiles,
                  "/tmp/x.grb could not be opened because there are too many open files."},
        ErrnoCase{"TooManyFilesInSystem", ENFILE, CFileException::tooManyOpenFiles,
                  "/tmp/x.grb could not be opened because there are too many open files."},
        ErrnoCase{"HardwareError", EIO, CFileException::hardIO,
                  "A hardware I/O error was reported while accessing /tmp/x.grb."},
        ErrnoCase{"HeldByALock", EWOULDBLOCK, CFileException::sharingViolation,
                  "A sharing violation occurred while accessing /tmp/x.grb."},
        ErrnoCase{"Unknown", EISDIR, CFileException::genericException,
                  "An unknown error occurred while accessing /tmp/x.grb."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FileException, ErrnoZeroRaisesNothing) {
    EXPECT_NO_THROW(CFileException::ThrowOsError(0));
}

TEST(FileException, ReportWithoutANameSaysAnUnnamedFile) {
    const CFileException e(CFileException::badSeek, ESPIPE);
    EXPECT_EQ(e.GetErrorMessage().str(), "Seek failed on an unnamed file");
}

struct ReportCase {
    const char* name;
    std::exception_ptr failure;
    std::vector<std::string> texts;
    unsigned type;
};

void PrintTo(const ReportCase& c, std::ostream* out) {
    *out << c.name;
}

class ExceptionReport : public testing::TestWithParam<ReportCase> {};

TEST_P(ExceptionReport, ShowsTheRightBox) {
    const auto& c = GetParam();
    MessageRecorder recorder;
    ReportException(c.failure);
    EXPECT_EQ(recorder.texts(), c.texts);
    if (!recorder.boxes().empty()) {
        EXPECT_EQ(recorder.boxes()[0].type, c.type);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ExceptionReport,
    testing::Values(
        ReportCase{
            "FileErrorWithStopIcon",
            std::make_exception_ptr(CFileException(CFileException::diskFull, ENOSPC, "/dev/full")),
            {"Disk full while accessing /dev/full."},
            MB_ICONSTOP},
        ReportCase{"MemoryWithExclamationSystemModal",
                   std::make_exception_ptr(CMemoryException()),
                   {"Out of memory."},
                   MB_ICONEXCLAMATION | MB_SYSTEMMODAL},
        ReportCase{"BadAllocCountsAsMemory",
                   std::make_exception_ptr(std::bad_alloc()),
                   {"Out of memory."},
                   MB_ICONEXCLAMATION | MB_SYSTEMMODAL},
        ReportCase{"UserExceptionShowsNothing", std::make_exception_ptr(CUserException()), {}, 0},
        ReportCase{"UnknownWithoutText",
                   std::make_exception_ptr(42),
                   {"Internal application error."},
                   MB_ICONSTOP}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MessageBox, NamesTheExclamationIconWhenTheCallerNamesNone) {
    MessageRecorder recorder;
    AfxMessageBox("hello", MB_OK, 0);
    AfxMessageBox("stop", MB_ICONSTOP, 0);
    ASSERT_EQ(recorder.boxes().size(), 2u);
    EXPECT_EQ(recorder.boxes()[0].type, static_cast<unsigned>(MB_ICONEXCLAMATION));
    EXPECT_EQ(recorder.boxes()[1].type, static_cast<unsigned>(MB_ICONSTOP));
}

} // namespace
