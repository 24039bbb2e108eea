#include "engine/grib_names.h"

#include <gtest/gtest.h>

namespace {

struct NameCase {
    const char* name;
    const char* path;
    bool grib;
    bool compressed;
    const char* expanded; // only for compressed paths
};

void PrintTo(const NameCase& c, std::ostream* out) {
    *out << c.name;
}

class SourceNames : public testing::TestWithParam<NameCase> {};

TEST_P(SourceNames, ClassifiesThePath) {
    const auto& c = GetParam();
    EXPECT_EQ(IsGribName(c.path), c.grib);
    EXPECT_EQ(IsCompressedName(c.path), c.compressed);
    if (c.compressed) {
        EXPECT_EQ(ExpandedPathFor(c.path).str(), c.expanded);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Paths, SourceNames,
    testing::Values(
        NameCase{"PlainGrb", "/data/Run1.GRB", true, false, nullptr},
        NameCase{"Grib2Extension", "/data/run.grib2", true, false, nullptr},
        NameCase{"Grb2Extension", "/data/run.grb2", true, false, nullptr},
        NameCase{"GrbNotLast", "/data/run.grb.old", true, false, nullptr},
        NameCase{"GrbInAFolderName", "/data/x.grb/notes", true, false, nullptr},
        NameCase{"Gr2IsNotGrib", "/data/run.gr2", false, false, nullptr},
        NameCase{"NoDotIsNotGrib", "/data/rungrb", false, false, nullptr},
        NameCase{"CompressedGrb", "/data/Run2.grb.bz2", true, true, "/data/Run2.grb"},
        NameCase{"CompressedUpperCase", "/data/RUN2.GRB.BZ2", true, true, "/data/RUN2.GRB"},
        NameCase{"CompressedNotGrib", "/data/Wind.bz2", false, true, "/data/Wind"},
        NameCase{"Bz2InAFolderStaysPlain", "/data/bz2files/run3.grb", true, false, nullptr},
        NameCase{"Bz2InsideTheNameStaysPlain", "/data/run.bz2.grb", true, false, nullptr},
        NameCase{"NothingBeforeTheSuffix", "/data/.bz2", false, false, nullptr},
        NameCase{"SuffixWithoutDot", "/data/runbz2", false, false, nullptr},
        NameCase{"RelativeCompressed", "a.grb.bz2", true, true, "a.grb"},
        NameCase{"Empty", "", false, false, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
