#pragma once
#include <windows.h>
#include "ZipWriter.h"

// Packs files into zip archives.
class CZipper {
public:
    CZipper();
    virtual ~CZipper();
    CZipper(const CZipper&) = delete;
    CZipper& operator=(const CZipper&) = delete;

    // Packs one file into an archive of the same base name with the extension
    // "zip" beside it (an existing archive is replaced). TRUE only when every
    // byte of the file went into a complete archive; on failure no archive is
    // left behind.
    static bool ZipFile(LPCSTR pszFilePath);

    // Creates the archive; TRUE when it is open.
    bool OpenZip(LPCSTR pszZipPath);
    // TRUE when the archive was completed and closed, or nothing was open.
    bool CloseZip();

private:
    // Packs an open file as the archive's one entry; no archive is left on failure.
    static bool ZipOpenFile(HANDLE file, LPCSTR pszEntryName, LPCSTR pszZipPath);

    zipFile m_hZip;
    char m_szRootFolder[MAX_PATH];
    int m_nFileCount;
    int m_nFolderCount;
    DWORD m_dwUncompressedSize;
};
