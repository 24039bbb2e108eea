#include "platform/core/cfile.h"

#include "platform/core/system_calls.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int AccessFlags(unsigned flags) {
    if (flags & CFile::modeReadWrite)
        return O_RDWR;
    if (flags & CFile::modeWrite)
        return O_WRONLY;
    return O_RDONLY;
}

int LockExclusively(int fd) {
    return RetryOnInterrupt(Sys().flock, fd, LOCK_EX | LOCK_NB);
}

// The current folder, or an empty path when the system cannot tell it.
std::filesystem::path CurrentFolder() {
    std::string folder(PATH_MAX, '\0');
    if (Sys().getcwd(folder.data(), folder.size()) == nullptr)
        return {};
    folder.resize(std::strlen(folder.c_str()));
    return folder;
}

} // namespace

CString FullPathName(const CString& path) {
    std::filesystem::path full(path.str());
    if (full.is_relative())
        full = CurrentFolder() / full;
    return CString(full.lexically_normal().string());
}

CFile::~CFile() {
    if (m_fd >= 0)
        Sys().close(m_fd);
}

bool CFile::Open(const CString& path, unsigned flags, CFileException* error) {
    const CString fullPath = FullPathName(path);
    const int oflags =
        AccessFlags(flags) | O_CLOEXEC | O_NOCTTY | ((flags & modeCreate) ? O_CREAT : 0);
    const int fd = RetryOnInterrupt(Sys().open, path.GetString(), oflags, mode_t{0666});
    int failure = fd < 0 ? errno : 0;

    if (failure == 0 && LockExclusively(fd) != 0)
        failure = errno;
    // Truncate only once the lock is held, so a file in use is never emptied.
    // Only a regular file has a length to cut; a device is left as it is.
    if (failure == 0 && (flags & modeCreate) && !(flags & modeNoTruncate)) {
        struct stat info {};
        if (Sys().fstat(fd, &info) != 0)
            failure = errno;
        else if (S_ISREG(info.st_mode) && RetryOnInterrupt(Sys().ftruncate, fd, off_t{0}) != 0)
            failure = errno;
    }

    if (failure != 0) {
        if (fd >= 0)
            Sys().close(fd);
        if (error)
            *error = CFileException(CFileException::OsErrorToException(failure), failure, fullPath);
        return false;
    }
    m_fd = fd;
    m_strFileName = fullPath;
    return true;
}

std::uint64_t CFile::SeekToEnd() {
    const off_t end = Sys().lseek(m_fd, 0, SEEK_END);
    if (end < 0)
        CFileException::ThrowOsError(errno);
    return static_cast<std::uint64_t>(end);
}

unsigned CFile::Read(void* buffer, unsigned count) {
    auto* bytes = static_cast<char*>(buffer);
    unsigned done = 0;
    // A read may stop short (a signal, a pipe); keep reading until the
    // buffer is full or the file ends.
    while (done < count) {
        const ssize_t n = Sys().read(m_fd, bytes + done, count - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            CFileException::ThrowOsError(errno);
        if (n == 0)
            break;
        done += static_cast<unsigned>(n);
    }
    return done;
}

void CFile::Write(const void* buffer, unsigned count) {
    const auto* bytes = static_cast<const char*>(buffer);
    unsigned done = 0;
    // A short write is continued; only a write that takes nothing and names
    // no error counts as a full disk.
    while (done < count) {
        const ssize_t n = Sys().write(m_fd, bytes + done, count - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            CFileException::ThrowOsError(errno, m_strFileName);
        if (n == 0)
            throw CFileException(CFileException::diskFull, ENOSPC, m_strFileName);
        done += static_cast<unsigned>(n);
    }
}

void CFile::Close() {
    const int fd = m_fd;
    m_fd = -1;
    // The descriptor is released even when close reports an error, and EINTR
    // means only that the close was interrupted after releasing it.
    if (fd >= 0 && Sys().close(fd) != 0 && errno != EINTR)
        CFileException::ThrowOsError(errno);
}
