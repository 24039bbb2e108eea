#include "engine/bz2_expander.h"
#include "tests/support/test_files.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

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

} // namespace
