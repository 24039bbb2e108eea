#pragma once

#include <sys/types.h>

// The system calls that the file layer and the expander make, gathered in one
// table so that a test can make a chosen call fail. The program never changes
// the table: each entry is the plain system call.
struct SystemCalls {
    int (*open)(const char* path, int flags, mode_t mode);
    int (*flock)(int fd, int operation);
    off_t (*lseek)(int fd, off_t offset, int whence);
    ssize_t (*read)(int fd, void* buffer, size_t count);
    ssize_t (*write)(int fd, const void* buffer, size_t count);
    int (*close)(int fd);
    int (*fsync)(int fd);
    int (*unlink)(const char* path);
    int (*rename)(const char* from, const char* to);
};

// The table in use. Tests may replace entries and must restore them.
SystemCalls& Sys();
