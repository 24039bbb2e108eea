#include "engine/grib_names.h"

#include <string_view>

namespace {

constexpr std::string_view kCompressedSuffix = ".bz2";

} // namespace

bool IsGribName(const CString& path) {
    CString lower = path;
    lower.MakeLower();
    return lower.Find(".grib") >= 0 || lower.Find(".grb") >= 0;
}

bool IsCompressedName(const CString& path) {
    CString lower = path;
    lower.MakeLower();
    const std::string_view text = lower.str();
    const std::string_view name = text.substr(text.rfind('/') + 1);
    return name.size() > kCompressedSuffix.size() && name.ends_with(kCompressedSuffix);
}

CString ExpandedPathFor(const CString& compressedPath) {
    const std::string_view text = compressedPath.str();
    return CString(text.substr(0, text.size() - kCompressedSuffix.size()));
}
