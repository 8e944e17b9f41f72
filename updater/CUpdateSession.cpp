#include "CUpdateSession.h"
#include "FileDigest.h"
#include "HttpFetch.h"
#include "ProgramStaging.h"
#include <shlobj.h>
#include <cctype>

namespace {

const DWORD kMaxAnswerBytes = 64 * 1024;
const DWORD kMaxFileBytes = 64 * 1024 * 1024;

}  // namespace

CUpdateSession::CUpdateSession(DWORD id, AuQueryRecord* record, const UpdateSetup& setup)
    : m_id(id), m_record(record), m_setup(setup)
{
}

BOOL CUpdateSession::TryBegin()
{
    return InterlockedCompareExchange(&m_busy, 1, 0) == 0;
}

BOOL CUpdateSession::IsCancelled() const
{
    // The program writes these fields on its own thread; read each once, whole.
    const volatile AuQueryRecord* record = m_record;
    return record->session != m_id || record->reportFlag == 0 || record->window == nullptr;
}

void CUpdateSession::Finish(UINT status, LPARAM value)
{
    InterlockedExchange(&m_busy, 0);
    if (IsCancelled())
        return;
    HWND window = const_cast<const volatile AuQueryRecord*>(m_record)->window;
    if (IsWindow(window))
        PostMessageA(window, kAuStatusMessage, status, value);
}

void CUpdateSession::Fail(UINT status)
{
    Finish(status, 0);
}

void CUpdateSession::Query()
{
    UINT status = kAuCheckFinished;
    std::string text;
    UpdateAnswer answer;
    if (m_setup.valid && FetchToText(m_setup.address, kMaxAnswerBytes, [this] { return IsCancelled() != FALSE; }, text) &&
        answer.Parse(text)) {
        m_hasAnswer = answer.m_version > m_setup.installedVersion;
        if (m_hasAnswer)
            m_answer = answer;
        status = m_hasAnswer ? kAuUpdateAvailable : kAuNoUpdate;
    }
    Finish(status, 0);
}

std::string CUpdateSession::GetTargetPath() const
{
    if (m_answer.m_kind == UpdateAnswer::kProgram) {
        char path[MAX_PATH] = {};
        DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
        return length > 0 && length < MAX_PATH ? std::string(path) : std::string();
    }
    // The whitelist lives in the product's folder of the common application data.
    std::string folderName;
    for (char c : m_setup.product) {
        if (!isalnum(static_cast<unsigned char>(c)))
            return std::string();
        folderName += static_cast<char>(tolower(static_cast<unsigned char>(c)));
    }
    char common[MAX_PATH] = {};
    if (folderName.empty() || FAILED(SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, common)))
        return std::string();
    std::string folder = std::string(common) + "\\" + folderName;
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder + "\\whitelist.dat";
}

void CUpdateSession::Download()
{
    std::string target = m_hasAnswer ? GetTargetPath() : std::string();
    BOOL checked = FALSE;
    if (!target.empty()) {
        // Beside the target, so that the installation is a rename on one volume.
        std::string download = target + ".download";
        checked = FetchToFile(m_answer.m_url, download, kMaxFileBytes, [this] { return IsCancelled() != FALSE; }) &&
                  GetFileDigestHex(download, m_answer.m_sha256) == m_answer.m_digest;
        if (checked) {
            m_download = download;
            m_target = target;
        } else {
            DeleteFileA(download.c_str());
        }
    }
    Finish(checked ? kAuDownloadComplete : kAuDownloadFailed, checked ? static_cast<LPARAM>(m_id) : 0);
}

BOOL CUpdateSession::Install()
{
    if (!TryBegin())
        return FALSE;
    BOOL installed = FALSE;
    if (!m_download.empty()) {
        if (m_answer.m_kind == UpdateAnswer::kWhitelist)
            installed = MoveFileExA(m_download.c_str(), m_target.c_str(),
                                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
        else
            installed = StageProgramUpdate(m_download, m_target);
        if (!installed)
            DeleteFileA(m_download.c_str());
        m_download.clear();
    }
    InterlockedExchange(&m_busy, 0);
    return installed;
}
