#include "platform/core/system_calls.h"

#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

int OpenFile(const char* path, int flags, mode_t mode) {
    return ::open(path, flags, mode);
}

} // namespace

SystemCalls& Sys() {
    static SystemCalls table{
        OpenFile, ::flock, ::lseek, ::read, ::write, ::close, ::fsync, ::unlink, ::rename,
    };
    return table;
}
