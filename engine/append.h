#pragma once

#include "platform/core/cstring.h"

// Appends the file at `source` to the end of `destination`, byte for byte, in
// 32768-byte chunks, when the source's path names a GRIB file (IsGribName);
// any other path is skipped without a word. A missing destination is created.
//
// A file that cannot be opened is reported in a message box ("Could not open
// output GRIB file %s." or "Cound not open input GRIB file %s.") and Append
// returns normally. A failure while positioning, reading, writing or closing
// raises CFileException; both files are closed on the way out.
void Append(CString source, CString destination);
