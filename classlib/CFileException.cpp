#include "CFileException.h"

namespace {

LPCSTR CauseText(int cause)
{
    static const char* const texts[] = {
        "No error occurred.",
        "An unspecified error occurred.",
        "The file could not be found.",
        "The path is invalid.",
        "Too many files are open.",
        "Access to the file was denied.",
        "The file handle is invalid.",
        "The current folder cannot be removed.",
        "The folder is full.",
        "The file position could not be set.",
        "A hardware input/output error occurred.",
        "The file is in use by another program.",
        "Part of the file is locked.",
        "The disk is full.",
        "The end of the file was reached.",
    };
    if (cause < 0 || cause >= static_cast<int>(sizeof texts / sizeof texts[0]))
        cause = CFileException::genericException;
    return texts[cause];
}

// The system's own text for an error code, without its line end; empty if none.
CString SystemText(LONG lOsError)
{
    LPSTR buf = nullptr;
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER |
                                 FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, static_cast<DWORD>(lOsError), 0, reinterpret_cast<LPSTR>(&buf), 0, nullptr);
    CString text(buf, buf ? static_cast<int>(n) : 0);
    if (buf)
        LocalFree(buf);
    return text.TrimRight();
}

}  // namespace

BOOL CFileException::GetErrorMessage(LPSTR pszError, UINT nMaxError, PUINT pnHelpContext) const
{
    if (pnHelpContext)
        *pnHelpContext = 0;
    CString text;
    if (m_cause == genericException && m_lOsError > 0)
        text = SystemText(m_lOsError);
    if (text.IsEmpty())
        text = CauseText(m_cause);
    if (!m_strFileName.IsEmpty())
        text += " (" + m_strFileName + ")";
    if (pszError && nMaxError > 0)
        lstrcpynA(pszError, text, static_cast<int>(nMaxError));
    return TRUE;
}

int CFileException::OsErrorToException(LONG lOsError)
{
    switch (lOsError) {
    case NO_ERROR: return none;
    case ERROR_FILE_NOT_FOUND: return fileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_DIRECTORY: return badPath;
    case ERROR_TOO_MANY_OPEN_FILES: return tooManyOpenFiles;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return accessDenied;
    case ERROR_INVALID_HANDLE: return invalidFile;
    case ERROR_CURRENT_DIRECTORY: return removeCurrentDir;
    case ERROR_CANNOT_MAKE: return directoryFull;
    case ERROR_SEEK:
    case ERROR_NEGATIVE_SEEK: return badSeek;
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_GEN_FAILURE:
    case ERROR_NOT_READY: return hardIO;
    case ERROR_SHARING_VIOLATION: return sharingViolation;
    case ERROR_LOCK_VIOLATION: return lockViolation;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return diskFull;
    case ERROR_HANDLE_EOF: return endOfFile;
    default: return genericException;
    }
}

void AfxThrowFileException(int cause, LONG lOsError, LPCSTR pszFileName)
{
    throw new CFileException(cause, lOsError, pszFileName);
}
