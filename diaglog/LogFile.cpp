#include "LogFile.h"
#include "CHostFileScanner.h"
#include "CMD5.h"
#include "CProcessSnapshot.h"
#include "CZipper.h"
#include "Directory.h"
#include "Host.h"
#include "IgnoredItem.h"
#include "LogSettingsDirectory.h"
#include "LogSettingsKey.h"
#include "LogText.h"
#include "MetaInfo.h"
#include "MyProcess.h"
#include "RegKey.h"
#include "ScanDetectedItem.h"
#include "SysInfo.h"
#include "CScopedLock.h"
#include "SystemUtils.h"
#include <ctime>
#include <memory>

namespace {

const char kSystemInfoTitle[] = "Keldrix SystemInformation Log";
const char kTechSupportTitle[] = "Keldrix Tech-Support Log";

template <class T>
void DeleteRecords(CTypedPtrList<CPtrList, T*>& list)
{
    while (!list.IsEmpty())
        delete list.RemoveHead();
}

template <class T>
void WriteRecords(const CTypedPtrList<CPtrList, T*>& list, LPCSTR open, LPCSTR close, CString& out)
{
    if (list.IsEmpty())
        return;
    out += open;
    for (POSITION pos = list.GetHeadPosition(); pos != nullptr;)
        out += list.GetNext(pos)->GetXml();
    out += close;
}

// The "Logs" folder beside the program, with a trailing backslash.
CString DefaultLogFolder()
{
    return GetProgramFolder() + "Logs\\";
}

}  // namespace

LogFile::LogFile(const LogSettings& logSettings)
    : settings(new LogSettings(logSettings)), meta(new MetaInfo(kSystemInfoTitle)), sysInfo(nullptr)
{
}

LogFile::~LogFile()
{
    DeleteList(processes);
    DeleteList(registry);
    DeleteList(hosts);
    DeleteList(fileSystem);
    DeleteRecords(scanDetectedItems);
    DeleteRecords(ignoredItems);
    delete meta;
    delete settings;
}

void LogFile::CreateSystemInformationLog()
{
    Gather(kSystemInfoTitle);
    Save(TRUE);
}

void LogFile::CreateTechSupportLog()
{
    Gather(kTechSupportTitle);
}

void LogFile::Gather(LPCSTR pszTitle)
{
    {
        CScopedLock hold(m_lock);
        delete meta;
        meta = new MetaInfo(pszTitle);
        sysInfo = settings->m_pSysInfo;
    }
    if (settings->m_registry)
        GatherRegistry();
    if (settings->m_hosts)
        GatherHosts();
    if (settings->m_processes)
        GatherProcesses();
    if (settings->m_filesystem)
        GatherFileSystem();
}

void LogFile::Append(LogElementList& section, LogElement* element)
{
    CScopedLock hold(m_lock);
    section.AddTail(element);
}

void LogFile::AddScanDetectedItem(ScanDetectedItem* item)
{
    CScopedLock hold(m_lock);
    scanDetectedItems.AddTail(item);
}

void LogFile::AddIgnoredItem(IgnoredItem* item)
{
    CScopedLock hold(m_lock);
    ignoredItems.AddTail(item);
}

void LogFile::SetSettingsText(const CString& settingsSection)
{
    CScopedLock hold(m_lock);
    settingsText = settingsSection;
}

void LogFile::SetLogFolder(const CString& folder)
{
    CScopedLock hold(m_lock);
    m_logFolder = folder;
    if (!m_logFolder.IsEmpty() && m_logFolder[m_logFolder.GetLength() - 1] != '\\')
        m_logFolder += '\\';
}

CString LogFile::GetLogFolder() const
{
    CScopedLock hold(m_lock);
    return m_logFolder.IsEmpty() ? DefaultLogFolder() : m_logFolder;
}

CString* LogFile::GetXml()
{
    CScopedLock hold(m_lock);
    return LogElement::GetXml();
}

void LogFile::WriteXml(CString& out) const
{
    CScopedLock hold(m_lock);
    out += "<Keldrix>\n";
    meta->WriteXml(out);
    if (sysInfo != nullptr)
        sysInfo->WriteXml(out);
    const struct {
        const LogElementList& list;
        LPCSTR open;
        LPCSTR close;
    } sections[] = {
        {processes, "<Processes>\n", "</Processes>\n"},
        {registry, "<Registry>\n", "</Registry>\n"},
        {hosts, "<Hosts>\n", "</Hosts>\n"},
        {fileSystem, "<FileSystem>\n", "</FileSystem>\n"},
    };
    for (const auto& section : sections) {
        if (section.list.IsEmpty())
            continue;
        out += section.open;
        WriteList(section.list, out);
        out += section.close;
    }
    out += settingsText;
    WriteRecords(ignoredItems, "<IgnoredItems>\n", "</IgnoredItems>\n", out);
    WriteRecords(scanDetectedItems, "<ScanDetectedItems>\n", "</ScanDetectedItems>\n", out);
    out += "</Keldrix>\n";
}

BOOL LogFile::Save(BOOL systemInfo)
{
    CScopedLock hold(m_lock);
    CString folder = GetLogFolder();
    if (!CreateDirectoryA(folder, nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return FALSE;

    CString name = "SystemInfo.log";
    if (!systemInfo) {
        char stamp[64] = "";
        time_t now = time(nullptr);
        const struct tm* local = localtime(&now);
        if (local == nullptr || strftime(stamp, sizeof stamp, "Keldrix-%d-%m-%y-%H-%M-%S.log", local) == 0)
            return FALSE;
        name = stamp;
    }
    CString path = folder + name;

    CString xml;
    WriteXml(xml);
    CString utf8 = ConvertAnsiToUtf8(xml);
    xml = CString();

    CFile file;
    if (!file.Open(path, CFile::modeCreate | CFile::modeReadWrite | CFile::shareDenyNone))
        return FALSE;
    try {
        file.Write((LPCSTR)utf8, static_cast<UINT>(utf8.GetLength()));
        file.Flush();
        file.Close();
    } catch (CFileException* e) {
        e->Delete();
        file.Abort();
        DeleteFileA(path);   // a partial log is of no use
        return FALSE;
    }

    if (!CZipper::ZipFile(path))
        return FALSE;
    DeleteFileA(path);
    return TRUE;
}

void LogFile::GatherRegistry()
{
    if (settings->m_pKeys == nullptr)
        return;
    for (POSITION pos = settings->m_pKeys->GetHeadPosition(); pos != nullptr;) {
        const LogSettingsKey* entry = static_cast<const LogSettingsKey*>(settings->m_pKeys->GetNext(pos));
        RegKey* key = ReadRegKey(entry->m_root, entry->m_subKey, entry->m_recurse, *settings);
        if (key != nullptr)
            Append(registry, key);
    }
}

void LogFile::SetHostsFolders(const CString& windowsFolder, const CString& systemFolder)
{
    CScopedLock hold(m_lock);
    m_hostsWindowsFolder = windowsFolder;
    m_hostsSystemFolder = systemFolder;
}

void LogFile::GatherHosts()
{
    CHostFileScanner scanner;
    CString windowsFolder, systemFolder;
    {
        CScopedLock hold(m_lock);
        windowsFolder = m_hostsWindowsFolder;
        systemFolder = m_hostsSystemFolder;
    }
    if (windowsFolder.IsEmpty())
        scanner.Scan();
    else
        scanner.ScanFolders(windowsFolder, systemFolder);
    for (int i = 0; i < scanner.GetLineCount(); i++)
        Append(hosts, new Host(scanner.GetLine(i)));
}

void LogFile::GatherProcesses()
{
    CProcessSnapshot snapshot;
    EnableDebugPrivilege();
    BOOL loaded = snapshot.LoadPsapi() || snapshot.LoadToolhelp();
    snapshot.SetStatus(loaded ? CProcessSnapshot::statusOk : CProcessSnapshot::statusNoLibrary);
    std::unique_ptr<ProcessEntryList> list = snapshot.CreateProcessList();
    if (!list)
        return;
    ProcessEntry entry;
    while (snapshot.GetNextProcess(*list, entry)) {
        if (!MyProcess::IsListed(entry.path))
            continue;
        CString digest;
        CMD5::GetFileDigest(entry.path, digest);
        Append(processes, new MyProcess(entry.path, digest));
    }
}

void LogFile::GatherFileSystem()
{
    if (settings->m_pDirectories == nullptr)
        return;
    for (POSITION pos = settings->m_pDirectories->GetHeadPosition(); pos != nullptr;) {
        const LogSettingsDirectory* entry =
            static_cast<const LogSettingsDirectory*>(settings->m_pDirectories->GetNext(pos));
        Append(fileSystem, AddDirectory(entry->m_path, entry->m_recurse));
    }
}
