#include "CStdioFile.h"
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <io.h>

namespace {

// Throws for a failed stream call, with the system error the runtime recorded.
[[noreturn]] void ThrowStreamError(const CString& fileName, int fallbackCause)
{
    LONG err = static_cast<LONG>(_doserrno);
    int cause = err ? CFileException::OsErrorToException(err) : fallbackCause;
    AfxThrowFileException(cause, err ? err : -1, fileName);
}

// The stream of an open file; throws when the file is not open.
FILE* Checked(FILE* stream, const CString& fileName)
{
    if (!stream)
        AfxThrowFileException(CFileException::invalidFile, ERROR_INVALID_HANDLE, fileName);
    return stream;
}

}  // namespace

CStdioFile::CStdioFile(LPCSTR pszFileName, UINT nOpenFlags)
{
    CFileException e;
    if (!CStdioFile::Open(pszFileName, nOpenFlags, &e))
        AfxThrowFileException(e.m_cause, e.m_lOsError, e.m_strFileName);
}

CStdioFile::~CStdioFile()
{
    if (m_pStream && m_bCloseOnDelete)
        CStdioFile::Abort();
}

BOOL CStdioFile::Open(LPCSTR pszFileName, UINT nOpenFlags, CFileException* pError)
{
    Abort();
    // The file is opened as a plain file first, so creation, truncation and
    // sharing work exactly as there; the stream is laid over its handle.
    if (!CFile::Open(pszFileName, nOpenFlags & ~(typeText | typeBinary), pError))
        return FALSE;

    bool text = !(nOpenFlags & typeBinary);
    int fdFlags = text ? _O_TEXT : _O_BINARY;
    char mode[4] = {};
    switch (nOpenFlags & 3) {
    case modeRead: fdFlags |= _O_RDONLY; mode[0] = 'r'; break;
    case modeWrite: mode[0] = 'w'; break;   // the stream neither creates nor truncates
    default: mode[0] = 'r'; mode[1] = '+'; break;
    }
    mode[std::strlen(mode)] = text ? 't' : 'b';

    int fd = _open_osfhandle(reinterpret_cast<intptr_t>(m_hFile), fdFlags);
    if (fd == -1) {
        CFile::Abort();
    } else {
        m_pStream = _fdopen(fd, mode);
        if (!m_pStream) {
            _close(fd);  // closes the handle too
            m_hFile = INVALID_HANDLE_VALUE;
            m_strFileName.Empty();
        }
    }
    if (!m_pStream) {
        if (pError) {
            pError->m_cause = CFileException::tooManyOpenFiles;
            pError->m_lOsError = ERROR_TOO_MANY_OPEN_FILES;
        }
        return FALSE;
    }
    return TRUE;
}

void CStdioFile::Close()
{
    FILE* stream = m_pStream;
    m_pStream = nullptr;
    m_hFile = INVALID_HANDLE_VALUE;  // the stream owns the handle
    CString name = m_strFileName;
    m_strFileName.Empty();
    if (stream && fclose(stream) != 0)
        ThrowStreamError(name, CFileException::genericException);
}

void CStdioFile::Abort()
{
    if (m_pStream) {
        fclose(m_pStream);
        m_pStream = nullptr;
        m_hFile = INVALID_HANDLE_VALUE;
    }
    CFile::Abort();
}

BOOL CStdioFile::ReadString(CString& rString)
{
    // fgets marks the end of what it read with a zero byte; filling the buffer
    // with non-zero bytes first makes the last zero that mark, so zero bytes
    // inside a line are kept.
    std::string line;
    char buf[512];
    bool gotAny = false;
    for (;;) {
        std::memset(buf, 'x', sizeof buf);
        if (!fgets(buf, sizeof buf, Checked(m_pStream, m_strFileName)))
            break;
        gotAny = true;
        size_t n = sizeof buf - 1;
        while (n > 0 && buf[n] != '\0')
            --n;
        line.append(buf, n);
        if (n > 0 && buf[n - 1] == '\n')
            break;
    }
    if (ferror(m_pStream))
        ThrowStreamError(m_strFileName, CFileException::hardIO);
    if (!gotAny) {
        rString.Empty();
        return FALSE;
    }
    if (!line.empty() && line.back() == '\n')
        line.pop_back();
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    rString = CString(line.data(), static_cast<int>(line.size()));
    return TRUE;
}

LPSTR CStdioFile::ReadString(LPSTR psz, UINT nMax)
{
    LPSTR result = fgets(psz, static_cast<int>(nMax), Checked(m_pStream, m_strFileName));
    if (!result && ferror(m_pStream))
        ThrowStreamError(m_strFileName, CFileException::hardIO);
    return result;
}

void CStdioFile::WriteString(LPCSTR psz)
{
    if (psz && fputs(psz, Checked(m_pStream, m_strFileName)) == EOF)
        ThrowStreamError(m_strFileName, CFileException::diskFull);
}

UINT CStdioFile::Read(void* pBuf, UINT nCount)
{
    if (nCount == 0)
        return 0;
    size_t n = fread(pBuf, 1, nCount, Checked(m_pStream, m_strFileName));
    if (n < nCount && ferror(m_pStream))
        ThrowStreamError(m_strFileName, CFileException::hardIO);
    return static_cast<UINT>(n);
}

void CStdioFile::Write(const void* pBuf, UINT nCount)
{
    if (nCount && fwrite(pBuf, 1, nCount, Checked(m_pStream, m_strFileName)) != nCount)
        ThrowStreamError(m_strFileName, CFileException::diskFull);
}

void CStdioFile::Flush()
{
    if (m_pStream && fflush(m_pStream) != 0)
        ThrowStreamError(m_strFileName, CFileException::diskFull);
}

ULONGLONG CStdioFile::Seek(LONGLONG lOff, UINT nFrom)
{
    static const int origins[] = { SEEK_SET, SEEK_CUR, SEEK_END };
    if (nFrom > end || _fseeki64(Checked(m_pStream, m_strFileName), lOff, origins[nFrom]) != 0)
        AfxThrowFileException(CFileException::badSeek, -1, m_strFileName);
    return GetPosition();
}

ULONGLONG CStdioFile::GetPosition() const
{
    __int64 pos = _ftelli64(Checked(m_pStream, m_strFileName));
    if (pos < 0)
        AfxThrowFileException(CFileException::badSeek, -1, m_strFileName);
    return static_cast<ULONGLONG>(pos);
}

ULONGLONG CStdioFile::GetLength() const
{
    __int64 pos = _ftelli64(Checked(m_pStream, m_strFileName));
    if (pos < 0 || _fseeki64(m_pStream, 0, SEEK_END) != 0)
        AfxThrowFileException(CFileException::badSeek, -1, m_strFileName);
    __int64 length = _ftelli64(m_pStream);
    _fseeki64(m_pStream, pos, SEEK_SET);
    if (length < 0)
        AfxThrowFileException(CFileException::badSeek, -1, m_strFileName);
    return static_cast<ULONGLONG>(length);
}
