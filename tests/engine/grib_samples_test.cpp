#include "engine/combine.h"
#include "tests/support/message_recorder.h"
#include "tests/support/test_files.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

const fs::path kSamples = "/usr/share/eccodes/samples";

// The number of GRIB messages in `path`, as ecCodes counts them.
long CountMessages(const std::string& path) {
    const std::string command = "grib_count '" + path + "'";
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return -1;
    long count = -1;
    if (std::fscanf(pipe, "%ld", &count) != 1)
        count = -1;
    return pclose(pipe) == 0 ? count : -1;
}

TEST(GribSamples, JoinedFileHoldsEveryMessageOfEverySource) {
    ASSERT_TRUE(fs::exists(kSamples / "GRIB1.tmpl"))
        << "install libeccodes-data (tools/install-deps)";
    ScopedTempDir dir;
    const std::string grib1 = ReadFile(kSamples / "GRIB1.tmpl");
    const std::string grib2 = ReadFile(kSamples / "GRIB2.tmpl");
    const std::string gaussian = ReadFile(kSamples / "reduced_gg_pl_32_grib2.tmpl");
    WriteFile(dir / "one.grb", grib1);
    WriteFile(dir / "two.grb2", grib2 + grib2);
    WriteFile(dir / "three.grb2.bz2", Bz2Compress(gaussian));
    const std::string out = dir / "joined.grb";
    MessageRecorder recorder;

    CStringArray sources;
    sources.Add((dir / "one.grb").c_str());
    sources.Add((dir / "two.grb2").c_str());
    sources.Add((dir / "three.grb2.bz2").c_str());
    Combine(sources, out.c_str());

    EXPECT_TRUE(recorder.boxes().empty());
    EXPECT_EQ(ReadFile(out), grib1 + grib2 + grib2 + gaussian);
    const long expected = CountMessages(dir / "one.grb") + CountMessages(dir / "two.grb2") +
                          CountMessages(dir / "three.grb2");
    EXPECT_EQ(expected, 4);
    EXPECT_EQ(CountMessages(out), expected);
}

} // namespace
