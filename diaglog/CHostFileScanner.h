#pragma once
#include "afx.h"

// Reads the system's hosts files and keeps the entries that send a name
// somewhere other than the loopback address.
class CHostFileScanner {
public:
    CHostFileScanner() = default;
    virtual ~CHostFileScanner();

    // Reads the hosts files of the running system: "hosts" and "hosts.new" in
    // the Windows folder, then in the system folder's drivers\etc.
    void Scan();
    // The same with the two folders given.
    void ScanFolders(const CString& windowsFolder, const CString& systemFolder);

    int GetLineCount() const { return static_cast<int>(lines.GetSize()); }
    CString GetLine(int index) const { return lines[index]; }
    const CStringArray& GetCandidates() const { return candidates; }

private:
    void ReadFile(const CString& path);

    CStringArray candidates;   // the hosts files that exist
    CStringArray lines;        // kept lines, as read
};
