#pragma once

#include "platform/core/cstring.h"

#include <exception>
#include <string>

// Base of the errors that travel from the file layer to the one place that
// reports a failed command. GetErrorMessage is the text that place shows.
class CException : public std::exception {
public:
    virtual CString GetErrorMessage() const = 0;
    const char* what() const noexcept override;

private:
    mutable std::string m_what;
};

// A file operation failed after the file was open (or a file could not be
// opened where the caller asked for an exception).
class CFileException : public CException {
public:
    enum Cause {
        none,
        genericException,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile,
    };

    CFileException() = default;
    CFileException(Cause cause, int osError, CString fileName = {})
        : m_cause(cause), m_lOsError(osError), m_strFileName(std::move(fileName)) {}

    // Raises the exception for an errno value, naming `fileName` (empty for
    // "an unnamed file"). An errno of 0 is no error and raises nothing.
    static void ThrowOsError(int osError, const CString& fileName = {});
    static Cause OsErrorToException(int osError);

    // The report text: the cause's sentence with the file name, or "an unnamed
    // file" when none was recorded.
    CString GetErrorMessage() const override;

    Cause m_cause = none;
    int m_lOsError = 0;
    CString m_strFileName;
};

// Memory ran out. A std::bad_alloc is reported the same way.
class CMemoryException : public CException {
public:
    CString GetErrorMessage() const override { return "Out of memory."; }
};

// A failure that has already been shown to the user; reporting it shows nothing.
class CUserException : public CException {
public:
    CString GetErrorMessage() const override { return {}; }
};
