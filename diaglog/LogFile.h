#pragma once
#include "LogElement.h"
#include "LogSettings.h"
#include "CCriticalSection.h"

class MetaInfo;
class SysInfo;
class ScanDetectedItem;
class IgnoredItem;

// The run's diagnostic log document. The start-up log thread, the UI thread
// and the fix thread share it: every change, rendering and save holds the
// document's one lock.
class LogFile : public LogElement {
public:
    explicit LogFile(const LogSettings& logSettings);
    ~LogFile() override;

    // Gathers the sections the settings ask for and saves "SystemInfo.log".
    void CreateSystemInformationLog();
    // Gathers like the start-up log under the tech-support title; saves nothing.
    void CreateTechSupportLog();

    // Both take ownership of the record.
    void AddScanDetectedItem(ScanDetectedItem* item);
    void AddIgnoredItem(IgnoredItem* item);
    void SetSettingsText(const CString& settingsSection);

    // Renders the whole document; the text stays valid until the next GetXml.
    CString* GetXml() override;
    void WriteXml(CString& out) const override;

    // Writes the document as UTF-8 into the log folder, packs it into a zip
    // archive of the same base name and removes the plain file once the
    // archive is complete. TRUE when the archive was written; when packing
    // fails the plain file stays.
    BOOL Save(BOOL systemInfo);

    // The folder the logs go to, with a trailing backslash; by default the
    // "Logs" folder beside the program.
    void SetLogFolder(const CString& folder);
    CString GetLogFolder() const;

    // The folders the hosts gatherer reads ("hosts" and "hosts.new" in the
    // first, in drivers\etc below the second); by default the system's own.
    void SetHostsFolders(const CString& windowsFolder, const CString& systemFolder);

    void GatherRegistry();
    void GatherHosts();
    void GatherProcesses();
    void GatherFileSystem();

private:
    // Steps shared by the start-up and tech-support logs.
    void Gather(LPCSTR pszTitle);
    // Appends a gathered element to one of the sections, under the lock.
    void Append(LogElementList& section, LogElement* element);

    LogSettings* settings;
    MetaInfo* meta;
    SysInfo* sysInfo;                  // not owned
    LogElementList processes;
    LogElementList registry;
    LogElementList hosts;
    LogElementList fileSystem;
    CTypedPtrList<CPtrList, ScanDetectedItem*> scanDetectedItems;
    CTypedPtrList<CPtrList, IgnoredItem*> ignoredItems;
    CString settingsText;
    CString m_logFolder;               // empty: the "Logs" folder beside the program
    CString m_hostsWindowsFolder;      // empty: the system's own hosts folders
    CString m_hostsSystemFolder;
    mutable CCriticalSection m_lock;
};
