#pragma once

#include "platform/core/cstring.h"

// Expands bzip2-compressed sources into plain files.
//
// Every stream of the source is expanded, one after another, as the bzip2
// tool does; bytes after the last complete stream that do not begin another
// stream are ignored. The expansion is written to a new file beside the
// target and renamed onto the target only when it is complete, so a failed
// expansion never touches a file already at the target path, and a link
// there is replaced rather than written through.
class CBz2Expander {
public:
    CBz2Expander() = default;
    virtual ~CBz2Expander() = default;

    // Writes the expansion of `source` to `target`. Returns 1 when the whole
    // source expanded and every byte reached the target; 0 when the source
    // cannot be opened, is not bzip2 data, is damaged or cut short, or the
    // target cannot be written completely. Reports nothing itself.
    int Expand(CString source, CString target);
};
