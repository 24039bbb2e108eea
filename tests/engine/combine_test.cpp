#include "engine/combine.h"
#include "platform/core/exceptions.h"
#include "tests/support/message_recorder.h"
#include "tests/support/test_files.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

CStringArray Sources(std::initializer_list<std::string> paths) {
    CStringArray list;
    for (const auto& path : paths)
        list.Add(path.c_str());
    return list;
}

class CombineRun : public testing::Test {
protected:
    std::string Plain(const std::string& name, const std::string& bytes) {
        WriteFile(dir / name, bytes);
        return dir / name;
    }
    std::string Compressed(const std::string& name, const std::string& plain) {
        WriteFile(dir / name, Bz2Compress(plain));
        return dir / name;
    }

    ScopedTempDir dir;
    MessageRecorder recorder;
};

TEST_F(CombineRun, JoinsPlainAndCompressedSourcesInListOrder) {
    const std::string a = PatternBytes(70000, 1), b = PatternBytes(9000, 2), c = PatternBytes(1, 3);
    const std::string out = dir / "out.grb";
    WriteFile(out, "old content that must go");

    Combine(Sources({Compressed("B.GRB.BZ2", b), Plain("a.grb", a), Plain("c.grib", c),
                     Plain("notes.txt", "skipped")}),
            out.c_str());

    EXPECT_TRUE(recorder.boxes().empty());
    EXPECT_EQ(ReadFile(out), b + a + c);
    EXPECT_EQ(ReadFile(dir / "B.GRB"), b) << "the expanded copy stays beside its source";
}

TEST_F(CombineRun, EmptySourceListDeletesTheDestination) {
    const std::string out = Plain("out.grb", "old");
    Combine(CStringArray(), out.c_str());
    EXPECT_FALSE(fs::exists(out));
    EXPECT_TRUE(recorder.boxes().empty());
}

TEST_F(CombineRun, EmptyDestinationReportsEachGribSourceAndStillExpands) {
    const std::string packed = Compressed("b.grb.bz2", "GRIB");
    Combine(Sources({Plain("a.grb", "GRIB"), packed, Plain("c.txt", "x")}), "");
    EXPECT_EQ(recorder.texts(), (std::vector<std::string>{"Could not open output GRIB file .",
                                                          "Could not open output GRIB file ."}));
    EXPECT_EQ(ReadFile(dir / "b.grb"), "GRIB");
}

TEST_F(CombineRun, PlainFileInAFolderNamedBz2IsAppendedAsItself) {
    fs::create_directory(dir.path() / "bz2files");
    const std::string src = Plain("bz2files/run3.grb", "GRIB-3-7777");
    const std::string out = dir / "out.grb";
    Combine(Sources({src}), out.c_str());
    EXPECT_TRUE(recorder.boxes().empty());
    EXPECT_EQ(ReadFile(out), "GRIB-3-7777");
}

TEST_F(CombineRun, CompressedSourceWithoutGribNameIsExpandedButNotAppended) {
    const std::string out = dir / "out.grb";
    Combine(Sources({Compressed("Wind.bz2", "wind"), Plain("a.grb", "GRIB")}), out.c_str());
    EXPECT_TRUE(recorder.boxes().empty());
    EXPECT_EQ(ReadFile(dir / "Wind"), "wind");
    EXPECT_EQ(ReadFile(out), "GRIB");
}

TEST_F(CombineRun, FailedExpansionIsReportedSkippedAndKeepsTheOldCopy) {
    const std::string out = dir / "out.grb";
    const std::string broken = Plain("bad.grb.bz2", "not bzip2 at all");
    WriteFile(dir / "bad.grb", "previous expansion");
    const std::string missing = dir / "gone.grb.bz2";

    Combine(Sources({broken, missing, Plain("a.grb", "GRIB")}), out.c_str());

    EXPECT_EQ(recorder.texts(),
              (std::vector<std::string>{"Could not expand compressed GRIB file " + broken + ".",
                                        "Could not expand compressed GRIB file " + missing + "."}));
    EXPECT_EQ(ReadFile(out), "GRIB");
    EXPECT_EQ(ReadFile(dir / "bad.grb"), "previous expansion");
    EXPECT_FALSE(fs::exists(dir / "gone.grb"));
}

TEST_F(CombineRun, MissingPlainSourceIsReportedByItsOwnPath) {
    const std::string out = dir / "out.grb", missing = dir / "Missing.GRB";
    Combine(Sources({missing, Plain("a.grb", "GRIB")}), out.c_str());
    EXPECT_EQ(recorder.texts(),
              std::vector<std::string>{"Cound not open input GRIB file " + missing + "."});
    EXPECT_EQ(ReadFile(out), "GRIB");
}

struct ClashCase {
    const char* name;
    // Builds the sources in `dir` and returns them with the destination.
    std::function<std::pair<CStringArray, std::string>(const ScopedTempDir&)> make;
};

void PrintTo(const ClashCase& c, std::ostream* out) {
    *out << c.name;
}

class DestinationAmongSources : public testing::TestWithParam<ClashCase> {};

TEST_P(DestinationAmongSources, RefusesBeforeTouchingAnyFile) {
    ScopedTempDir dir;
    MessageRecorder recorder;
    auto [sources, destination] = GetParam().make(dir);
    std::map<std::string, std::string> before;
    for (const auto& entry : fs::recursive_directory_iterator(dir.path()))
        if (entry.is_regular_file())
            before[entry.path()] = ReadFile(entry.path());

    EXPECT_THROW(Combine(sources, destination.c_str()), CUserException);

    EXPECT_EQ(recorder.texts(), std::vector<std::string>{"The output GRIB file " + destination +
                                                         " is also one of the sources."});
    std::map<std::string, std::string> after;
    for (const auto& entry : fs::recursive_directory_iterator(dir.path()))
        if (entry.is_regular_file())
            after[entry.path()] = ReadFile(entry.path());
    EXPECT_EQ(after, before);
}

INSTANTIATE_TEST_SUITE_P(
    Clashes, DestinationAmongSources,
    testing::Values(
        ClashCase{"SamePath",
                  [](const ScopedTempDir& d) {
                      WriteFile(d / "a.grb", "A");
                      WriteFile(d / "b.grb", "B");
                      return std::pair{Sources({d / "a.grb", d / "b.grb"}), d / "b.grb"};
                  }},
        ClashCase{"ReachedThroughASymbolicLink",
                  [](const ScopedTempDir& d) {
                      WriteFile(d / "a.grb", "A");
                      fs::create_symlink(d / "a.grb", d / "link.grb");
                      return std::pair{Sources({d / "a.grb"}), d / "link.grb"};
                  }},
        ClashCase{"ReachedThroughAHardLink",
                  [](const ScopedTempDir& d) {
                      WriteFile(d / "a.grb", "A");
                      fs::create_hard_link(d / "a.grb", d / "twin.grb");
                      return std::pair{Sources({d / "a.grb"}), d / "twin.grb"};
                  }},
        ClashCase{"ExistingExpandedCopy",
                  [](const ScopedTempDir& d) {
                      WriteFile(d / "b.grb.bz2", Bz2Compress("B"));
                      WriteFile(d / "b.grb", "old copy");
                      return std::pair{Sources({d / "b.grb.bz2"}), d / "b.grb"};
                  }},
        ClashCase{"ExpandedCopyNotMadeYetThroughAnotherFolderPath",
                  [](const ScopedTempDir& d) {
                      fs::create_directory(d.path() / "sub");
                      WriteFile(d / "sub/b.grb.bz2", Bz2Compress("B"));
                      return std::pair{Sources({d / "sub/b.grb.bz2"}), d / "sub/../sub/./b.grb"};
                  }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CombineRun, RefusesToDeleteAnythingButAFileOrLink) {
    const std::string pipe = dir / "pipe.grb", folder = dir / "folder.grb";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    fs::create_directory(folder);
    const std::string src = Plain("a.grb", "GRIB");

    EXPECT_THROW(Combine(Sources({src}), pipe.c_str()), CUserException);
    EXPECT_THROW(Combine(Sources({src}), folder.c_str()), CUserException);

    EXPECT_EQ(recorder.texts(),
              (std::vector<std::string>{"Could not replace output GRIB file " + pipe + ".",
                                        "Could not replace output GRIB file " + folder + "."}));
    EXPECT_TRUE(fs::is_fifo(pipe));
    EXPECT_TRUE(fs::is_directory(folder));
}

TEST_F(CombineRun, ReplacesALinkAtTheDestinationNotItsTarget) {
    const std::string other = Plain("other.dat", "someone else's data");
    const std::string out = dir / "out.grb";
    fs::create_symlink(other, out);
    Combine(Sources({Plain("a.grb", "GRIB")}), out.c_str());
    EXPECT_FALSE(fs::is_symlink(out));
    EXPECT_EQ(ReadFile(out), "GRIB");
    EXPECT_EQ(ReadFile(other), "someone else's data");
}

TEST_F(CombineRun, FileErrorEndsTheRunKeepingWhatWasAppended) {
    fs::create_directory(dir.path() / "folder.grb");
    const std::string out = dir / "out.grb";
    EXPECT_THROW(
        Combine(Sources({Plain("a.grb", "GRIB-A"), dir / "folder.grb", Plain("c.grb", "GRIB-C")}),
                out.c_str()),
        CFileException);
    EXPECT_EQ(ReadFile(out), "GRIB-A");
}

} // namespace
