#include "Directory.h"
#include "CComPtr.h"
#include "CComScope.h"
#include "File.h"
#include "LogText.h"
#include "PathMatching.h"
#include <memory>
#include <objbase.h>
#include <shlobj.h>

namespace {

// Folder trees deeper than this are not followed.
const int kMaxDepth = 64;

Directory* DescribeFolder(const CString& folder, const CString& expanded, BOOL recurse, int depth)
{
    std::unique_ptr<Directory> element(new Directory(folder, expanded));
    CString pattern = expanded;
    pattern.TrimRight('\\');
    pattern += "\\*.*";

    CFileFind finder;
    BOOL more = finder.FindFile(pattern);
    while (more) {
        more = finder.FindNextFile();
        if (finder.IsDots())
            continue;
        CString path = finder.GetFilePath();
        if (finder.IsDirectory()) {
            if (recurse && !finder.IsReparsePoint() && depth < kMaxDepth)
                element->AddChild(DescribeFolder(path, path, recurse, depth + 1));
            continue;
        }
        CString target = ResolveShortcutTarget(path);
        element->AddFile(new File(path));
        if (!target.IsEmpty())
            element->AddFile(new File(target));
    }
    return element.release();
}

}  // namespace

Directory::Directory(const CString& folderName, const CString& expandedFolderName)
    : name(folderName), expandedName(expandedFolderName)
{
    EscapeXml(name);
    EscapeXml(expandedName);
}

Directory::~Directory()
{
    DeleteList(children);
}

void Directory::WriteXml(CString& out) const
{
    out += "<Directory name=\"";
    out += name;
    out += "\" expanded-name=\"";
    out += expandedName;
    out += "\">\n";
    WriteList(files, out);
    WriteList(children, out);
    out += "</Directory>\n";
}

Directory* AddDirectory(const CString& folder, BOOL recurse)
{
    CString expanded;
    ExpandEnvironmentPath(folder, expanded);
    return DescribeFolder(folder, expanded, recurse, 0);
}

CString ResolveShortcutTarget(const CString& filePath, DWORD flags)
{
    CString lower = filePath;
    lower.MakeLower();
    if (lower.Find(".lnk") < 0)
        return CString();

    CComScope com;
    CComPtr<IShellLinkA> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return CString();
    CComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))))
        return CString();
    WCHAR widePath[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, filePath, -1, widePath, MAX_PATH) == 0)
        return CString();
    if (FAILED(file->Load(widePath, STGM_READ)))
        return CString();
    char target[1024] = "";
    if (link->GetPath(target, sizeof target, nullptr, flags) != S_OK)
        return CString();
    target[sizeof target - 1] = '\0';
    return target;
}
