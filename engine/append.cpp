#include "engine/append.h"

#include "engine/grib_names.h"
#include "platform/core/cfile.h"
#include "platform/core/message_box.h"

namespace {

constexpr unsigned kChunkSize = 32768;

void ShowOpenFailure(const char* format, const CString& path) {
    CString message;
    message.Format(format, path.GetString());
    AfxMessageBox(message, MB_OK, 0);
}

} // namespace

void Append(CString source, CString destination) {
    if (!IsGribName(source))
        return;

    // Declared input first so that the output is closed first when an
    // exception unwinds the call.
    CFile input;
    CFile output;
    if (!output.Open(destination, CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite)) {
        ShowOpenFailure("Could not open output GRIB file %s.", destination);
        return;
    }
    output.SeekToEnd();

    // The output holds its lock, so a source that is the destination itself
    // cannot be opened here and is never read while it grows.
    if (!input.Open(source, CFile::modeRead | CFile::shareCompat)) {
        ShowOpenFailure("Cound not open input GRIB file %s.", source);
        return;
    }

    char chunk[kChunkSize];
    for (unsigned count = input.Read(chunk, kChunkSize); count > 0;
         count = input.Read(chunk, kChunkSize))
        output.Write(chunk, count);

    input.Close();
    output.Close();
}
