#include "CWinThread.h"
#include <memory>
#include <process.h>

namespace {

// What the new thread needs; it never touches the CWinThread object, which
// its owner may delete at any time.
struct StartInfo {
    AFX_THREADPROC proc;
    LPVOID param;
};

}  // namespace

CWinThread::CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam)
    : m_pfnThreadProc(pfnThreadProc), m_pThreadParams(pParam)
{
}

CWinThread::~CWinThread()
{
    if (m_hThread)
        CloseHandle(m_hThread);
}

BOOL CWinThread::CreateThread(DWORD dwCreateFlags, UINT nStackSize, LPSECURITY_ATTRIBUTES lpSecurityAttrs)
{
    if (m_hThread || !m_pfnThreadProc)
        return FALSE;
    auto info = std::make_unique<StartInfo>(StartInfo{ m_pfnThreadProc, m_pThreadParams });
    unsigned id = 0;
    uintptr_t h = _beginthreadex(lpSecurityAttrs, nStackSize, &CWinThread::Start, info.get(),
                                 dwCreateFlags & CREATE_SUSPENDED, &id);
    if (!h)
        return FALSE;
    info.release();  // the thread owns it now
    m_hThread = reinterpret_cast<HANDLE>(h);
    m_nThreadID = id;
    return TRUE;
}

unsigned __stdcall CWinThread::Start(void* p)
{
    std::unique_ptr<StartInfo> info(static_cast<StartInfo*>(p));
    return info->proc(info->param);
}

DWORD CWinThread::ResumeThread()
{
    return m_hThread ? ::ResumeThread(m_hThread) : static_cast<DWORD>(-1);
}

DWORD CWinThread::SuspendThread()
{
    return m_hThread ? ::SuspendThread(m_hThread) : static_cast<DWORD>(-1);
}

BOOL CWinThread::SetThreadPriority(int nPriority)
{
    return m_hThread && ::SetThreadPriority(m_hThread, nPriority);
}

int CWinThread::GetThreadPriority() const
{
    return m_hThread ? ::GetThreadPriority(m_hThread) : THREAD_PRIORITY_ERROR_RETURN;
}

CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority, UINT nStackSize,
                           DWORD dwCreateFlags, LPSECURITY_ATTRIBUTES lpSecurityAttrs)
{
    // Started suspended so that the priority is in place before it runs.
    std::unique_ptr<CWinThread> thread(new CWinThread(pfnThreadProc, pParam));
    if (!thread->CreateThread(dwCreateFlags | CREATE_SUSPENDED, nStackSize, lpSecurityAttrs))
        return nullptr;
    thread->SetThreadPriority(nPriority);
    if (!(dwCreateFlags & CREATE_SUSPENDED))
        thread->ResumeThread();
    return thread.release();
}
