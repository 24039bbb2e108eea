#pragma once

#include <cerrno>
#include <cstddef>
#include <sys/stat.h>
#include <sys/types.h>

// Every system call that the file layer and the combine engine make, gathered
// in one table so that a test can make a chosen call fail or come back short.
// The program never changes the table: each entry is the plain system call, so
// a call through it costs one indirect jump and nothing else.
//
// The expander reads its source through a stdio stream whose reads and close
// also come here, so libbzip2's reads are covered as well.
struct SystemCalls {
    int (*open)(const char* path, int flags, mode_t mode);
    int (*flock)(int fd, int operation);
    off_t (*lseek)(int fd, off_t offset, int whence);
    ssize_t (*read)(int fd, void* buffer, size_t count);
    ssize_t (*write)(int fd, const void* buffer, size_t count);
    int (*close)(int fd);
    int (*fsync)(int fd);
    int (*sync_file_range)(int fd, off_t offset, off_t count, unsigned flags);
    int (*fstat)(int fd, struct stat* info);
    int (*ftruncate)(int fd, off_t length);
    int (*stat)(const char* path, struct stat* info);
    int (*lstat)(const char* path, struct stat* info);
    int (*unlink)(const char* path);
    int (*rename)(const char* from, const char* to);
    char* (*realpath)(const char* path, char* resolved);
    char* (*getcwd)(char* buffer, size_t size);
    ssize_t (*getrandom)(void* buffer, size_t count, unsigned flags);
};

extern SystemCalls g_systemCalls;

// The table in use. Tests may replace entries and must restore them.
inline SystemCalls& Sys() {
    return g_systemCalls;
}

// Makes `call` again for as long as it fails with EINTR, that is, a signal
// arrived before it did anything. Not for close: Linux has released the
// descriptor even when close reports EINTR, so it must never be repeated.
template <typename Call, typename... Args> auto RetryOnInterrupt(Call call, Args... args) {
    auto result = call(args...);
    while (result == -1 && errno == EINTR)
        result = call(args...);
    return result;
}
