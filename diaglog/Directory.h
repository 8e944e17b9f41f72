#pragma once
#include "LogElement.h"
#include <shlobj.h>

// One described folder: its files (with the targets of its shortcuts) and,
// when described recursively, its subfolders.
class Directory : public LogElement {
public:
    Directory(const CString& folderName, const CString& expandedFolderName);
    ~Directory() override;

    void AddFile(LogElement* file) { files.AddTail(file); }
    void AddChild(Directory* child) { children.AddTail(child); }

    void WriteXml(CString& out) const override;

private:
    // Both are stored escaped.
    CString name;
    CString expandedName;
    LogElementList children;   // Directory elements, owned
};

// Describes a folder (which may hold %NAME% references): every file with its
// digest, after each shortcut its target, and when recurse is TRUE its
// subfolders. Subfolders that are reparse points (links to elsewhere) are
// never entered, and the walk stops at a fixed depth. A missing folder gives
// an empty element.
Directory* AddDirectory(const CString& folder, BOOL recurse);

// The target path of a shortcut (a path holding ".lnk"), read with the given
// IShellLinkA::GetPath flags; empty when the file is no shortcut or its
// target cannot be read.
CString ResolveShortcutTarget(const CString& filePath, DWORD flags = SLGP_UNCPRIORITY);
