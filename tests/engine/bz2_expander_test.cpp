#include "engine/bz2_expander.h"
#include "platform/core/system_calls.h"
#include "tests/support/test_files.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::size_t FilesIn(const fs::path& folder) {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

const std::string kFirst = PatternBytes(3 * 4096, 1); // an exact multiple of a piece
const std::string kSecond = PatternBytes(250000, 2);  // several pieces and blocks
const std::string kSmall = "GRIB small message 7777"; // less than one piece

std::string Truncated(const std::string& bytes) {
    return bytes.substr(0, bytes.size() / 2);
}

std::string Damaged(std::string bytes) {
    bytes[bytes.size() / 2] ^= 0x55;
    return bytes;
}

struct ExpandCase {
    const char* name;
    std::string compressed;
    bool complete;
    std::string expanded; // when complete
};

void PrintTo(const ExpandCase& c, std::ostream* out) {
    *out << c.name;
}

class ExpandSources : public testing::TestWithParam<ExpandCase> {};

TEST_P(ExpandSources, WritesTheWholeExpansionOrLeavesTheTargetAlone) {
    const auto& c = GetParam();
    ScopedTempDir dir;
    const std::string source = dir / "run.grb.bz2", target = dir / "run.grb";
    WriteFile(source, c.compressed);
    WriteFile(target, "earlier file");

    CBz2Expander expander;
    EXPECT_EQ(expander.Expand(source.c_str(), target.c_str()), c.complete ? 1 : 0);

    EXPECT_EQ(ReadFile(target), c.complete ? c.expanded : "earlier file");
    EXPECT_EQ(ReadFile(source), c.compressed);
    EXPECT_EQ(FilesIn(dir.path()), 2u) << "a temporary file was left behind";
}

INSTANTIATE_TEST_SUITE_P(
    Sources, ExpandSources,
    testing::Values(ExpandCase{"SmallerThanOnePiece", Bz2Compress(kSmall), true, kSmall},
                    ExpandCase{"ExactMultipleOfAPiece", Bz2Compress(kFirst), true, kFirst},
                    ExpandCase{"SeveralBlocks", Bz2Compress(kSecond, 1), true, kSecond},
                    ExpandCase{"EmptyData", Bz2Compress(""), true, ""},
                    ExpandCase{"TwoStreams", Bz2Compress(kFirst) + Bz2Compress(kSecond), true,
                               kFirst + kSecond},
                    ExpandCase{"ManySmallStreams",
                               Bz2Compress("a") + Bz2Compress("") + Bz2Compress("bc"), true, "abc"},
                    ExpandCase{"TrailingGarbageIgnored", Bz2Compress(kSmall) + "garbage", true,
                               kSmall},
                    ExpandCase{"TrailingZerosIgnored", Bz2Compress(kSmall) + std::string(100, '\0'),
                               true, kSmall},
                    ExpandCase{"EmptyFile", "", false, ""},
                    ExpandCase{"NotBzip2", "GRIB plain data 7777", false, ""},
                    ExpandCase{"CutShort", Truncated(Bz2Compress(kSecond)), false, ""},
                    ExpandCase{"Damaged", Damaged(Bz2Compress(kSecond)), false, ""},
                    ExpandCase{"SecondStreamCutShort",
                               Bz2Compress(kSmall) + Truncated(Bz2Compress(kSecond)), false, ""},
                    ExpandCase{"SecondStreamDamaged",
                               Bz2Compress(kSmall) + Damaged(Bz2Compress(kSecond)), false, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Bz2Expander, MissingSourceCreatesNothing) {
    ScopedTempDir dir;
    CBz2Expander expander;
    EXPECT_EQ(expander.Expand((dir / "missing.grb.bz2").c_str(), (dir / "missing.grb").c_str()), 0);
    EXPECT_EQ(FilesIn(dir.path()), 0u);
}

TEST(Bz2Expander, MissingTargetFolderFailsAndLeavesTheSourceAlone) {
    ScopedTempDir dir;
    const std::string source = dir / "a.grb.bz2";
    WriteFile(source, Bz2Compress(kSmall));
    CBz2Expander expander;
    EXPECT_EQ(expander.Expand(source.c_str(), (dir / "none/a.grb").c_str()), 0);
    EXPECT_EQ(FilesIn(dir.path()), 1u);
}

TEST(Bz2Expander, ReplacesALinkAtTheTargetWithoutWritingThroughIt) {
    ScopedTempDir dir;
    const std::string source = dir / "a.grb.bz2", target = dir / "a.grb", other = dir / "other";
    WriteFile(source, Bz2Compress(kSmall));
    WriteFile(other, "someone else's file");
    fs::create_symlink(other, target);

    CBz2Expander expander;
    ASSERT_EQ(expander.Expand(source.c_str(), target.c_str()), 1);
    EXPECT_FALSE(fs::is_symlink(target));
    EXPECT_EQ(ReadFile(target), kSmall);
    EXPECT_EQ(ReadFile(other), "someone else's file");
}

TEST(Bz2Expander, GivesTheCopyTheModeOfANewFile) {
    ScopedTempDir dir;
    const std::string source = dir / "a.grb.bz2", target = dir / "a.grb";
    WriteFile(source, Bz2Compress(kSmall));
    const mode_t previous = umask(022);
    CBz2Expander expander;
    const int result = expander.Expand(source.c_str(), target.c_str());
    umask(previous);
    ASSERT_EQ(result, 1);
    EXPECT_EQ(fs::status(target).permissions(), fs::perms(0644));
}

TEST(Bz2Expander, OneObjectServesManyCalls) {
    ScopedTempDir dir;
    CBz2Expander expander;
    for (int i = 0; i < 3; ++i) {
        const std::string plain = PatternBytes(5000 + i, i);
        const std::string source = dir / (std::to_string(i) + ".grb.bz2");
        const std::string target = dir / (std::to_string(i) + ".grb");
        WriteFile(source, Bz2Compress(plain));
        ASSERT_EQ(expander.Expand(source.c_str(), target.c_str()), 1);
        EXPECT_EQ(ReadFile(target), plain);
    }
}

// ---- Early write-back ------------------------------------------------------

// The expansion asks the system to start writing each 8 MiB to disk as soon
// as it is written, so the flush before the rename has little left to wait
// for. The hints must name exactly the bytes just written, one range after
// the other, across streams; and since they are only hints, a refusal must
// change nothing.

struct WritebackHint {
    int fd;
    off_t offset;
    off_t count;
    unsigned flags;
};

std::vector<WritebackHint> g_hints;
int g_hintAnswer = 0;

int RecordWritebackHint(int fd, off_t offset, off_t count, unsigned flags) {
    g_hints.push_back({fd, offset, count, flags});
    if (g_hintAnswer != 0)
        errno = EIO;
    return g_hintAnswer;
}

// Long runs of one byte value: position-dependent, so a dropped or doubled
// piece shows, yet quick to compress even at several MiB.
std::string RunBytes(std::size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i / 1000 + seed) % 251);
    return bytes;
}

struct WritebackCase {
    const char* name;
    int answer; // what every hint gets back
};

void PrintTo(const WritebackCase& c, std::ostream* out) {
    *out << c.name;
}

class WritebackHints : public testing::TestWithParam<WritebackCase> {
protected:
    void SetUp() override {
        m_saved = Sys().sync_file_range;
        Sys().sync_file_range = RecordWritebackHint;
        g_hints.clear();
        g_hintAnswer = GetParam().answer;
    }
    void TearDown() override { Sys().sync_file_range = m_saved; }

private:
    decltype(SystemCalls::sync_file_range) m_saved = nullptr;
};

TEST_P(WritebackHints, StartEachPartAsItIsWrittenAndNeedNoAnswer) {
    constexpr off_t kStep = 8 << 20;
    ScopedTempDir dir;
    // Two streams, the first ending before the first step: 16 MiB and a bit.
    const std::string first = RunBytes(5 << 20, 1);
    const std::string second = RunBytes((11 << 20) + 5000, 2);
    const std::string source = dir / "big.grb.bz2";
    const std::string target = dir / "big.grb";
    WriteFile(source, Bz2Compress(first) + Bz2Compress(second));

    ASSERT_EQ(CBz2Expander().Expand(source.c_str(), target.c_str()), 1);
    EXPECT_TRUE(ReadFile(target) == first + second) << "the expansion differs";

    ASSERT_EQ(g_hints.size(), 2u);
    for (std::size_t i = 0; i < g_hints.size(); ++i) {
        EXPECT_GE(g_hints[i].fd, 0);
        EXPECT_EQ(g_hints[i].fd, g_hints[0].fd);
        EXPECT_EQ(g_hints[i].offset, static_cast<off_t>(i) * kStep) << "hint " << i;
        EXPECT_EQ(g_hints[i].count, kStep) << "hint " << i;
        EXPECT_EQ(g_hints[i].flags, static_cast<unsigned>(SYNC_FILE_RANGE_WRITE));
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, WritebackHints,
                         testing::Values(WritebackCase{"Accepted", 0},
                                         WritebackCase{"Refused", -1}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
