#include "platform/core/system_calls.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <unistd.h>

namespace {

// open is variadic; the table holds a plain three-argument function.
int OpenFile(const char* path, int flags, mode_t mode) {
    return ::open(path, flags, mode);
}

int StatPath(const char* path, struct stat* info) {
    return ::stat(path, info);
}

int StatLink(const char* path, struct stat* info) {
    return ::lstat(path, info);
}

int StatDescriptor(int fd, struct stat* info) {
    return ::fstat(fd, info);
}

} // namespace

constinit SystemCalls g_systemCalls{
    .open = OpenFile,
    .flock = ::flock,
    .lseek = ::lseek,
    .read = ::read,
    .write = ::write,
    .close = ::close,
    .fsync = ::fsync,
    .sync_file_range = ::sync_file_range,
    .fstat = StatDescriptor,
    .ftruncate = ::ftruncate,
    .stat = StatPath,
    .lstat = StatLink,
    .unlink = ::unlink,
    .rename = ::rename,
    .realpath = ::realpath,
    .getcwd = ::getcwd,
    .getrandom = ::getrandom,
};
