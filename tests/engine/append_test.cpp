#include "engine/append.h"
#include "platform/core/exceptions.h"
#include "tests/support/message_recorder.h"
#include "tests/support/test_files.h"

#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

constexpr std::size_t kChunk = 32768;

struct SizeCase {
    const char* name;
    std::size_t first;
    std::size_t second;
};

void PrintTo(const SizeCase& c, std::ostream* out) {
    *out << c.name;
}

class AppendSizes : public testing::TestWithParam<SizeCase> {};

TEST_P(AppendSizes, DestinationIsTheExactConcatenation) {
    const auto& c = GetParam();
    ScopedTempDir dir;
    const std::string a = dir / "a.grb", b = dir / "b.grib2", out = dir / "out.grb";
    WriteFile(a, PatternBytes(c.first, 1));
    WriteFile(b, PatternBytes(c.second, 2));
    MessageRecorder recorder;

    Append(a.c_str(), out.c_str());
    Append(b.c_str(), out.c_str());

    EXPECT_TRUE(recorder.boxes().empty());
    EXPECT_EQ(ReadFile(out), PatternBytes(c.first, 1) + PatternBytes(c.second, 2));
}

INSTANTIATE_TEST_SUITE_P(ChunkBoundaries, AppendSizes,
                         testing::Values(SizeCase{"BothEmpty", 0, 0}, SizeCase{"OneByte", 1, 1},
                                         SizeCase{"ExactlyOneChunk", kChunk, kChunk},
                                         SizeCase{"ExactlyThreeChunks", 3 * kChunk, 0},
                                         SizeCase{"OneByteEitherSideOfAChunk", kChunk - 1,
                                                  kChunk + 1},
                                         SizeCase{"OddSizes", 100003, 65537}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Append, KeepsWhatTheDestinationAlreadyHeld) {
    ScopedTempDir dir;
    const std::string src = dir / "a.grb", out = dir / "out.grb";
    WriteFile(src, "GRIB-new-7777");
    WriteFile(out, "GRIB-old-7777");
    Append(src.c_str(), out.c_str());
    EXPECT_EQ(ReadFile(out), "GRIB-old-7777GRIB-new-7777");
}

TEST(Append, SkipsANonGribNameSilentlyWithoutTouchingTheDestination) {
    ScopedTempDir dir;
    const std::string src = dir / "notes.txt", out = dir / "out.grb";
    WriteFile(src, "text");
    MessageRecorder recorder;
    Append(src.c_str(), out.c_str());
    EXPECT_TRUE(recorder.boxes().empty());
    EXPECT_FALSE(std::filesystem::exists(out));
}

struct OpenFailureCase {
    const char* name;
    const char* source;      // inside the folder; "@" stands for the destination itself
    const char* destination; // inside the folder; "" for an empty path
    bool destinationCreatedEmpty;
    const char* message; // %s stands for the path as given
};

void PrintTo(const OpenFailureCase& c, std::ostream* out) {
    *out << c.name;
}

class AppendOpenFailures : public testing::TestWithParam<OpenFailureCase> {};

TEST_P(AppendOpenFailures, ShowsTheMessageAndGoesOn) {
    const auto& c = GetParam();
    ScopedTempDir dir;
    WriteFile(dir / "a.grb", "GRIB");
    const std::string destination = *c.destination ? dir / c.destination : std::string();
    const std::string source = std::string(c.source) == "@" ? destination : dir / c.source;
    MessageRecorder recorder;

    ASSERT_NO_THROW(Append(source.c_str(), destination.c_str()));

    std::string expected = c.message;
    expected.replace(expected.find("%s"), 2,
                     expected.find("input") != std::string::npos ? source : destination);
    EXPECT_EQ(recorder.texts(), std::vector<std::string>{expected});
    EXPECT_EQ(recorder.boxes()[0].type, static_cast<unsigned>(MB_ICONEXCLAMATION));
    // The output open creates a missing destination even when the input then fails.
    EXPECT_EQ(std::filesystem::is_regular_file(destination), c.destinationCreatedEmpty);
    if (c.destinationCreatedEmpty) {
        EXPECT_EQ(std::filesystem::file_size(destination), 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AppendOpenFailures,
    testing::Values(OpenFailureCase{"EmptyDestination", "a.grb", "", false,
                                    "Could not open output GRIB file %s."},
                    OpenFailureCase{"DestinationFolderMissing", "a.grb", "none/out.grb", false,
                                    "Could not open output GRIB file %s."},
                    OpenFailureCase{"DestinationIsAFolder", "a.grb", ".", false,
                                    "Could not open output GRIB file %s."},
                    OpenFailureCase{"MissingSourceStillCreatesTheDestination", "Missing.GRB",
                                    "out.grb", true, "Cound not open input GRIB file %s."},
                    OpenFailureCase{"SourceIsTheDestinationItself", "@", "out.grb", true,
                                    "Cound not open input GRIB file %s."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Append, ReadErrorRaisesAndClosesBothFiles) {
    ScopedTempDir dir;
    const std::string folder = dir / "folder.grb", out = dir / "out.grb";
    std::filesystem::create_directory(folder);
    WriteFile(out, "kept");
    try {
        Append(folder.c_str(), out.c_str());
        FAIL() << "no exception raised";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.GetErrorMessage().str(),
                  "An unknown error occurred while accessing an unnamed file.");
    }
    EXPECT_EQ(ReadFile(out), "kept");
    // Both files were closed (and unlocked): they open again.
    MessageRecorder recorder;
    WriteFile(dir / "b.grb", "more");
    Append((dir / "b.grb").c_str(), out.c_str());
    EXPECT_TRUE(recorder.boxes().empty());
    EXPECT_EQ(ReadFile(out), "keptmore");
}

TEST(Append, FullDiskRaisesDiskFullNamingTheDestination) {
    ScopedTempDir dir;
    const std::string src = dir / "a.grb";
    WriteFile(src, PatternBytes(1000));
    try {
        Append(src.c_str(), "/dev/full");
        FAIL() << "no exception raised";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.m_cause, CFileException::diskFull);
        EXPECT_EQ(e.GetErrorMessage().str(), "Disk full while accessing /dev/full.");
    }
}

TEST(Append, AppendsAfterADestinationOfMoreThanFourGiB) {
    ScopedTempDir dir;
    const std::string src = dir / "a.grb", out = dir / "big.grb";
    const std::uintmax_t bigSize = (std::uintmax_t{4} << 30) + 5;
    WriteFile(out, "");
    std::filesystem::resize_file(out, bigSize); // sparse: costs no disk
    WriteFile(src, "GRIB-7777");

    Append(src.c_str(), out.c_str());

    ASSERT_EQ(std::filesystem::file_size(out), bigSize + 9);
    std::FILE* file = std::fopen(out.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(fseeko(file, static_cast<off_t>(bigSize - 1), SEEK_SET), 0);
    char tail[10] = {};
    EXPECT_EQ(std::fread(tail, 1, 10, file), 10u);
    std::fclose(file);
    EXPECT_EQ(std::string(tail, 10), std::string(1, '\0') + "GRIB-7777");
}

} // namespace
