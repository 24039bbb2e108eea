// The expanded copies under hostile conditions: links planted at the target,
// a folder shared with others, and a source that expands beyond the free space.
#include "engine/bz2_expander.h"
#include "engine/combine.h"
#include "tests/support/fault_injection.h"
#include "tests/support/folder_snapshot.h"
#include "tests/support/message_recorder.h"
#include "tests/support/test_files.h"

#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

const std::string kPlain = PatternBytes(10000, 5);

ino_t InodeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(lstat(path.c_str(), &info), 0) << path;
    return info.st_ino;
}

struct LinkCase {
    const char* name;
    bool hardLink; // else a symbolic link
    bool sourceIntact;
};

void PrintTo(const LinkCase& c, std::ostream* out) {
    *out << c.name;
}

class LinkAtTheTarget : public testing::TestWithParam<LinkCase> {};

TEST_P(LinkAtTheTarget, IsNeverWrittenThrough) {
    const auto& c = GetParam();
    ScopedTempDir dir;
    const std::string source = dir / "a.grb.bz2", target = dir / "a.grb", other = dir / "other";
    const std::string compressed = Bz2Compress(kPlain);
    WriteFile(source, c.sourceIntact ? compressed : compressed.substr(0, compressed.size() / 2));
    WriteFile(other, "someone else's file");
    if (c.hardLink)
        fs::create_hard_link(other, target);
    else
        fs::create_symlink(other, target);
    const ino_t otherInode = InodeOf(other);

    CBz2Expander expander;
    EXPECT_EQ(expander.Expand(source.c_str(), target.c_str()), c.sourceIntact ? 1 : 0);

    EXPECT_EQ(ReadFile(other), "someone else's file");
    EXPECT_EQ(InodeOf(other), otherInode);
    if (c.sourceIntact) {
        EXPECT_EQ(fs::status(target).type(), fs::file_type::regular);
        EXPECT_FALSE(fs::is_symlink(target));
        EXPECT_NE(InodeOf(target), otherInode);
        EXPECT_EQ(ReadFile(target), kPlain);
        EXPECT_EQ(fs::hard_link_count(other), 1u);
    } else {
        EXPECT_EQ(InodeOf(target), c.hardLink ? otherInode : InodeOf(target));
        EXPECT_EQ(fs::is_symlink(target), !c.hardLink) << "the failed expansion moved the link";
        EXPECT_EQ(fs::hard_link_count(other), c.hardLink ? 2u : 1u);
    }
    EXPECT_EQ(TakeSnapshot(dir.path()).size(), 3u) << "a temporary file was left behind";
}

INSTANTIATE_TEST_SUITE_P(Cases, LinkAtTheTarget,
                         testing::Values(LinkCase{"HardLinkReplaced", true, true},
                                         LinkCase{"SymbolicLinkReplaced", false, true},
                                         LinkCase{"HardLinkKeptOnFailure", true, false},
                                         LinkCase{"SymbolicLinkKeptOnFailure", false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// The temporary files of the expansions recorded in `faults`.
std::vector<CallRecord> TemporaryOpens(const FaultInjector& faults) {
    std::vector<CallRecord> opens;
    for (const auto& call : faults.calls())
        if (call.call == SysCall::open && (call.detail & O_CREAT))
            opens.push_back(call);
    return opens;
}

TEST(ExpansionSecurity, TemporaryFileIsNewPrivateToTheCallAndBesideTheTarget) {
    ScopedTempDir dir;
    fs::create_directory(dir.path() / "shared");
    const std::string source = dir / "a.grb.bz2", target = dir / "shared/a.grb";
    WriteFile(source, Bz2Compress(kPlain));

    FaultInjector faults;
    CBz2Expander expander;
    ASSERT_EQ(expander.Expand(source.c_str(), target.c_str()), 1);
    ASSERT_EQ(expander.Expand(source.c_str(), target.c_str()), 1);

    const auto opens = TemporaryOpens(faults);
    ASSERT_EQ(opens.size(), 2u);
    std::set<std::string> names;
    for (const auto& open : opens) {
        EXPECT_EQ(open.detail & (O_CREAT | O_EXCL | O_NOFOLLOW), O_CREAT | O_EXCL | O_NOFOLLOW)
            << "a name someone planted could be opened";
        EXPECT_EQ(fs::path(open.path).parent_path(), fs::path(target).parent_path());
        names.insert(open.path);
    }
    EXPECT_EQ(names.size(), 2u) << "the temporary name is predictable";
    EXPECT_EQ(ReadFile(target), kPlain);
    EXPECT_EQ(TakeSnapshot(dir.path() / "shared").size(), 1u);
}

TEST(ExpansionSecurity, ANameAlreadyTakenIsPassedOverForAnotherOne) {
    ScopedTempDir dir;
    const std::string source = dir / "a.grb.bz2", target = dir / "a.grb";
    WriteFile(source, Bz2Compress(kPlain));

    FaultInjector faults;
    faults.Inject(SysCall::open, 1, Failure::Error(EEXIST), 3);
    CBz2Expander expander;
    EXPECT_EQ(expander.Expand(source.c_str(), target.c_str()), 1);

    const auto opens = TemporaryOpens(faults);
    ASSERT_EQ(opens.size(), 4u);
    EXPECT_EQ(
        std::set<std::string>({opens[0].path, opens[1].path, opens[2].path, opens[3].path}).size(),
        4u);
    EXPECT_EQ(ReadFile(target), kPlain);
    EXPECT_EQ(TakeSnapshot(dir.path()).size(), 2u);
}

TEST(ExpansionSecurity, WithoutRandomBitsTheNameStillVariesAndTheExpansionWorks) {
    ScopedTempDir dir;
    const std::string source = dir / "a.grb.bz2", target = dir / "a.grb";
    WriteFile(source, Bz2Compress(kPlain));

    FaultInjector faults;
    faults.Inject(SysCall::getrandom, 0, Failure::Error(ENOSYS), -1);
    faults.Inject(SysCall::open, 1, Failure::Error(EEXIST), 1);
    CBz2Expander expander;
    EXPECT_EQ(expander.Expand(source.c_str(), target.c_str()), 1);
    const auto opens = TemporaryOpens(faults);
    ASSERT_EQ(opens.size(), 2u);
    EXPECT_NE(opens[0].path, opens[1].path);
    EXPECT_EQ(ReadFile(target), kPlain);
}

TEST(ExpansionSecurity, ADecompressionBombEndsInTheFullDiskFailureAndTheRunGoesOn) {
    ScopedTempDir dir;
    MessageRecorder recorder;
    const std::string bomb = dir / "bomb.grb.bz2", copy = dir / "bomb.grb";
    const std::string plain = dir / "a.grb", out = dir / "out.grb";
    const std::string compressed = Bz2Compress(std::string(8 << 20, '\0'));
    ASSERT_LT(compressed.size(), 4096u) << "not a bomb";
    WriteFile(bomb, compressed);
    WriteFile(copy, "the copy of an earlier run");
    WriteFile(plain, kPlain);
    const int descriptors = OpenDescriptorCount();

    constexpr std::size_t kFreeSpace = 1 << 20;
    FaultInjector faults;
    faults.LimitWrites([](const std::string& path) { return path.ends_with(".part"); }, kFreeSpace);
    CStringArray sources;
    sources.Add(bomb.c_str());
    sources.Add(plain.c_str());
    Combine(sources, out.c_str());

    EXPECT_EQ(recorder.texts(),
              std::vector<std::string>{"Could not expand compressed GRIB file " + bomb + "."});
    EXPECT_EQ(ReadFile(copy), "the copy of an earlier run");
    EXPECT_EQ(ReadFile(out), kPlain);
    EXPECT_EQ(ReadFile(bomb), compressed);
    EXPECT_EQ(TakeSnapshot(dir.path()).size(), 4u) << "a partial copy was left behind";
    EXPECT_EQ(OpenDescriptorCount(), descriptors);
    int temporaryWrites = 0;
    for (const auto& call : faults.calls())
        temporaryWrites += call.call == SysCall::write && call.path.ends_with(".part");
    EXPECT_LE(temporaryWrites, static_cast<int>(kFreeSpace / 4096) + 2)
        << "the expansion went on after the disk was full";
}

} // namespace
