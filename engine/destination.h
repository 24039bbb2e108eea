#pragma once

#include "platform/core/cstring.h"
#include "platform/core/cstring_array.h"

// Guards that run before a combine run touches any file. Each shows its own
// message and raises CUserException when the run must not go on.

// Refuses a destination that is one of the sources, or the file a compressed
// source expands to: the run would otherwise delete or overwrite its own input.
// Existing files are compared by device and inode, so a link is recognised;
// files not yet there, or that the system cannot examine, by name within the
// resolved folder.
void RefuseDestinationAmongSources(const CStringArray& sources, const CString& destination);

// Deletes the destination when it is a regular file or a symbolic link (the
// link itself). Nothing there is fine. Anything else at that path (a folder,
// a device, a pipe, a socket), or a file that cannot be deleted, is refused.
void DeleteDestination(const CString& destination);
