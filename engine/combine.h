#pragma once

#include "platform/core/cstring.h"
#include "platform/core/cstring_array.h"

// Builds `destination` from `sources`, in list order: the old destination is
// deleted, each compressed source is expanded into a plain file beside it,
// and every source whose path names a GRIB file is appended byte for byte.
//
// A destination that is also a source, or that cannot be replaced, is
// reported and raises CUserException before any file is touched. A source or
// an expansion that fails is reported and skipped. A file error during an
// append raises CFileException and ends the run; what was appended stays.
void Combine(const CStringArray& sources, const CString& destination);
