#pragma once

#include "platform/core/cstring.h"

// What a source's path says about it. The tests ignore ASCII letter case; the
// paths themselves are never changed, since Linux file names are
// case-sensitive.

// True when the path contains ".grib" or ".grb" anywhere, folder names
// included: such a file is appended.
bool IsGribName(const CString& path);

// True when the file name (the last part of the path) ends in ".bz2" with at
// least one character before it: such a source is expanded first.
bool IsCompressedName(const CString& path);

// Where a compressed source expands to: its path without the final ".bz2".
CString ExpandedPathFor(const CString& compressedPath);
