#include "engine/combine.h"

#include "engine/append.h"
#include "engine/bz2_expander.h"
#include "engine/destination.h"
#include "engine/grib_names.h"
#include "platform/core/message_box.h"

namespace {

void ShowExpandFailure(const CString& source) {
    CString message;
    message.Format("Could not expand compressed GRIB file %s.", source.GetString());
    AfxMessageBox(message, MB_OK, 0);
}

} // namespace

void Combine(const CStringArray& sources, const CString& destination) {
    CBz2Expander expander;
    RefuseDestinationAmongSources(sources, destination);
    DeleteDestination(destination);

    for (std::size_t i = 0; i < sources.GetSize(); ++i) {
        const CString& source = sources[i];
        if (!IsCompressedName(source)) {
            Append(source, destination);
            continue;
        }
        // Each compressed source is expanded just before its own append.
        const CString expanded = ExpandedPathFor(source);
        if (expander.Expand(source, expanded) != 1) {
            ShowExpandFailure(source);
            continue;
        }
        Append(expanded, destination);
    }
}
