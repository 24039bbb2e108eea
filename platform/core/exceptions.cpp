#include "platform/core/exceptions.h"

#include <cerrno>

const char* CException::what() const noexcept {
    try {
        m_what = GetErrorMessage().str();
        return m_what.c_str();
    } catch (...) {
        return "CException";
    }
}

CFileException::Cause CFileException::OsErrorToException(int osError) {
    switch (osError) {
    case 0:
        return none;
    case ENOENT:
        return fileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
        return badPath;
    case EMFILE:
    case ENFILE:
        return tooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
        return accessDenied;
    case EBADF:
        return invalidFile;
    case ESPIPE:
        return badSeek;
    case EIO:
        return hardIO;
    case EWOULDBLOCK:
        return sharingViolation;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return diskFull;
    default:
        return genericException;
    }
}

void CFileException::ThrowOsError(int osError, const CString& fileName) {
    if (osError == 0)
        return;
    throw CFileException(OsErrorToException(osError), osError, fileName);
}

CString CFileException::GetErrorMessage() const {
    const char* sentence = "An unknown error occurred while accessing %1.";
    switch (m_cause) {
    case none:
    case genericException:
        break;
    case fileNotFound:
        sentence = "%1 was not found.";
        break;
    case badPath:
        sentence = "%1 contains an invalid path.";
        break;
    case tooManyOpenFiles:
        sentence = "%1 could not be opened because there are too many open files.";
        break;
    case accessDenied:
        sentence = "Access to %1 was denied.";
        break;
    case invalidFile:
        sentence = "An invalid file handle was associated with %1.";
        break;
    case removeCurrentDir:
        sentence = "%1 could not be removed because it is the current directory.";
        break;
    case directoryFull:
        sentence = "%1 could not be created because the directory is full.";
        break;
    case badSeek:
        sentence = "Seek failed on %1";
        break;
    case hardIO:
        sentence = "A hardware I/O error was reported while accessing %1.";
        break;
    case sharingViolation:
        sentence = "A sharing violation occurred while accessing %1.";
        break;
    case lockViolation:
        sentence = "A locking violation occurred while accessing %1.";
        break;
    case diskFull:
        sentence = "Disk full while accessing %1.";
        break;
    case endOfFile:
        sentence = "An attempt was made to access %1 past its end.";
        break;
    }
    CString text(sentence);
    text.Replace("%1", m_strFileName.IsEmpty() ? "an unnamed file" : m_strFileName.str());
    return text;
}
