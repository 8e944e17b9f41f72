#pragma once
#include "AutoUpdateApi.h"
#include "UpdateAnswer.h"
#include <string>

// A copy of one phase's configuration record, taken by _AuSetup@4.
struct UpdateSetup {
    BOOL valid = FALSE;
    std::string product;
    std::string address;
    double installedVersion = 0.0;
};

// One query record's work: the query, the download and the installation.
// Reports go to the record's window only while the record still names this
// session and its report flag is set; one operation runs at a time.
class CUpdateSession {
public:
    CUpdateSession(DWORD id, AuQueryRecord* record, const UpdateSetup& setup);
    CUpdateSession(const CUpdateSession&) = delete;
    CUpdateSession& operator=(const CUpdateSession&) = delete;

    DWORD GetId() const { return m_id; }
    AuQueryRecord* GetRecord() const { return m_record; }

    // Marks an operation as running; FALSE when one already runs.
    BOOL TryBegin();
    // Asks the server; reports 2, 3, or 1 when there is no valid answer. Call after TryBegin.
    void Query();
    // Downloads the announced file beside its target and checks its digest;
    // reports 4 (lParam this session's number) or 5. Call after TryBegin.
    void Download();
    // Installs the checked download; FALSE when there is none or it fails.
    BOOL Install();
    // Reports a status at once (a request that could not be started). Call after TryBegin.
    void Fail(UINT status);

private:
    BOOL IsCancelled() const;
    // Ends the running operation, then posts the status unless cancelled.
    void Finish(UINT status, LPARAM value);
    // The file the answer's kind replaces; empty when the setup gives none.
    std::string GetTargetPath() const;

    const DWORD m_id;
    AuQueryRecord* const m_record;
    const UpdateSetup m_setup;
    volatile LONG m_busy = 0;
    BOOL m_hasAnswer = FALSE;
    UpdateAnswer m_answer;
    std::string m_download;  // the checked file waiting for Install
    std::string m_target;
};
