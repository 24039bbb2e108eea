#include "engine/destination.h"

#include "engine/grib_names.h"
#include "platform/core/cfile.h"
#include "platform/core/exceptions.h"
#include "platform/core/message_box.h"
#include "platform/core/system_calls.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <optional>
#include <string>
#include <sys/stat.h>

namespace {

[[noreturn]] void Refuse(const char* format, const CString& destination) {
    CString message;
    message.Format(format, destination.GetString());
    AfxMessageBox(message, MB_OK, 0);
    throw CUserException();
}

// The folder resolved through its links, followed by the name: how a file
// that does not exist yet is identified. Empty when the path names nothing.
std::optional<std::string> ResolvedName(const CString& path) {
    const std::string full = FullPathName(path).str();
    const auto slash = full.rfind('/');
    const std::string folder = full.substr(0, slash + 1);
    const std::string name = full.substr(slash + 1);
    if (path.IsEmpty() || name.empty())
        return std::nullopt;
    char resolved[PATH_MAX];
    if (Sys().realpath(folder.c_str(), resolved) == nullptr)
        return full;
    return std::string(resolved) + "/" + name;
}

enum class Existence { present, absent, unknown };

Existence Examine(const CString& path, struct stat& info) {
    if (Sys().stat(path.GetString(), &info) == 0)
        return Existence::present;
    return errno == ENOENT || errno == ENOTDIR ? Existence::absent : Existence::unknown;
}

// Existing files are the same when device and inode agree. When either path
// names nothing, or the system cannot examine one of them (an I/O error, no
// access), the names are compared instead, so a file that cannot be
// examined is still recognised by its name and never taken for another.
bool NameTheSameFile(const CString& a, const CString& b) {
    struct stat infoA {};
    struct stat infoB {};
    const Existence existsA = Examine(a, infoA);
    const Existence existsB = Examine(b, infoB);
    if (existsA == Existence::present && existsB == Existence::present)
        return infoA.st_dev == infoB.st_dev && infoA.st_ino == infoB.st_ino;
    if (existsA != Existence::unknown && existsB != Existence::unknown && existsA != existsB)
        return false; // one is there, the other is not
    const auto nameA = ResolvedName(a);
    return nameA && nameA == ResolvedName(b);
}

} // namespace

void RefuseDestinationAmongSources(const CStringArray& sources, const CString& destination) {
    for (const CString& source : sources) {
        const bool clash =
            NameTheSameFile(destination, source) ||
            (IsCompressedName(source) && NameTheSameFile(destination, ExpandedPathFor(source)));
        if (clash)
            Refuse("The output GRIB file %s is also one of the sources.", destination);
    }
}

void DeleteDestination(const CString& destination) {
    struct stat info {};
    if (Sys().lstat(destination.GetString(), &info) != 0) {
        // Nothing there: opening it for output will say if it cannot be made.
        if (errno == ENOENT || errno == ENOTDIR)
            return;
        // Whatever is there cannot be examined, so it cannot be replaced.
        Refuse("Could not replace output GRIB file %s.", destination);
    }
    const bool deletable = S_ISREG(info.st_mode) || S_ISLNK(info.st_mode);
    if (deletable && (Sys().unlink(destination.GetString()) == 0 || errno == ENOENT))
        return;
    Refuse("Could not replace output GRIB file %s.", destination);
}
