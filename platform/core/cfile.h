#pragma once

#include "platform/core/cstring.h"
#include "platform/core/exceptions.h"

#include <cstdint>

// A file opened for exclusive use. Every open takes an exclusive advisory lock
// (flock), so a second open of a file that is held, in this process or by
// another program that locks, fails like a sharing violation: a file can never
// be read while this program is writing it.
//
// Open reports refusal through its result; every later operation raises
// CFileException on failure, so callers see either success or an exception.
class CFile {
public:
    enum OpenFlags : unsigned {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
    };

    CFile() = default;
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
    // Closes a file that is still open, quietly: a destructor cannot raise,
    // and a caller that cares about close errors calls Close() itself.
    virtual ~CFile();

    // Opens `path`. modeCreate creates a missing file (and, without
    // modeNoTruncate, empties an existing one). Returns false when the system
    // refuses or the file is held; `error`, when given, then holds why.
    bool Open(const CString& path, unsigned flags, CFileException* error = nullptr);

    // Moves to the end of the file and returns the new position (64-bit).
    std::uint64_t SeekToEnd();
    // Reads up to `count` bytes; fewer only at the end of the file, 0 there.
    unsigned Read(void* buffer, unsigned count);
    // Writes all `count` bytes, or raises (diskFull when the system accepts
    // no more bytes without naming an error).
    void Write(const void* buffer, unsigned count);
    // Closes the file; raises when the system reports a failure.
    void Close();

    bool IsOpen() const { return m_fd >= 0; }
    // The full path recorded at Open, used to name the file in reports.
    const CString& GetFilePath() const { return m_strFileName; }

private:
    int m_fd = -1;
    CString m_strFileName;
};

// The absolute, lexically normalised form of `path` (relative to the current
// folder); symbolic links are not resolved.
CString FullPathName(const CString& path);
