#include "platform/core/cfile.h"
#include "tests/support/test_files.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

TEST(CFile, ASecondOpenOfAHeldFileFailsAsASharingViolation) {
    ScopedTempDir dir;
    const std::string path = dir / "held.grb";
    WriteFile(path, "GRIB");

    CFile first;
    ASSERT_TRUE(
        first.Open(path.c_str(), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite));
    CFile second;
    CFileException why;
    EXPECT_FALSE(second.Open(path.c_str(), CFile::modeRead, &why));
    EXPECT_EQ(why.m_cause, CFileException::sharingViolation);

    first.Close();
    EXPECT_TRUE(second.Open(path.c_str(), CFile::modeRead));
}

TEST(CFile, AFileLockedByAnotherProgramCannotBeOpened) {
    ScopedTempDir dir;
    const std::string path = dir / "locked.grb";
    WriteFile(path, "GRIB");
    const int other = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(other, 0);
    ASSERT_EQ(flock(other, LOCK_SH), 0);

    CFile file;
    EXPECT_FALSE(file.Open(path.c_str(), CFile::modeRead));
    close(other);
}

TEST(CFile, OpenRefusalRaisesNothingAndCreateKeepsContentWithNoTruncate) {
    ScopedTempDir dir;
    CFile missing;
    EXPECT_FALSE(missing.Open((dir / "no/such/folder.grb").c_str(), CFile::modeRead));
    EXPECT_FALSE(missing.Open("", CFile::modeCreate | CFile::modeWrite));

    const std::string path = dir / "kept.grb";
    WriteFile(path, "old");
    CFile out;
    ASSERT_TRUE(
        out.Open(path.c_str(), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite));
    EXPECT_EQ(out.SeekToEnd(), 3u);
    out.Write("new", 3);
    out.Close();
    EXPECT_EQ(ReadFile(path), "oldnew");
}

TEST(CFile, WriteToAFullDeviceRaisesDiskFullNamingTheFile) {
    CFile out;
    ASSERT_TRUE(
        out.Open("/dev/full", CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite));
    try {
        out.Write("x", 1);
        FAIL() << "no exception raised";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.m_cause, CFileException::diskFull);
        EXPECT_EQ(e.GetErrorMessage().str(), "Disk full while accessing /dev/full.");
    }
}

TEST(CFile, ReadingADirectoryRaisesWithNoFileName) {
    ScopedTempDir dir;
    CFile in;
    ASSERT_TRUE(in.Open(dir.path().c_str(), CFile::modeRead));
    char buffer[16];
    try {
        in.Read(buffer, sizeof buffer);
        FAIL() << "no exception raised";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.m_lOsError, EISDIR);
        EXPECT_TRUE(e.m_strFileName.IsEmpty());
    }
}

TEST(CFile, RecordsTheFullPathWithoutResolvingLinks) {
    EXPECT_EQ(FullPathName("/a/./b/../c.grb").str(), "/a/c.grb");
    EXPECT_EQ(FullPathName("x.grb").str(), (std::filesystem::current_path() / "x.grb").string());
}

} // namespace
