#include "afx.h"
#include <gtest/gtest.h>
#include <atomic>
#include <string>

namespace {

struct Work {
    HANDLE started = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::atomic<int> runs{ 0 };
    ~Work()
    {
        CloseHandle(started);
        CloseHandle(release);
    }
};

UINT WorkerProc(LPVOID p)
{
    Work* w = static_cast<Work*>(p);
    ++w->runs;
    SetEvent(w->started);
    WaitForSingleObject(w->release, 60000);
    return 1234;
}

BOOL CALLBACK FindVisibleDialog(HWND h, LPARAM lp)
{
    char cls[32] = {};
    GetClassNameA(h, cls, sizeof cls);
    if (std::string(cls) != "#32770" || !IsWindowVisible(h))
        return TRUE;
    *reinterpret_cast<HWND*>(lp) = h;
    return FALSE;
}

// Waits up to timeoutMs for a dialog window of the thread; NULL if none came.
HWND WaitForDialogOf(DWORD threadId, DWORD timeoutMs)
{
    for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs;) {
        HWND found = nullptr;
        EnumThreadWindows(threadId, FindVisibleDialog, reinterpret_cast<LPARAM>(&found));
        if (found)
            return found;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return nullptr;
}

struct BoxCall {
    const char* text;
    int result = 0;
};

UINT MessageBoxProc(LPVOID p)
{
    BoxCall* call = static_cast<BoxCall*>(p);
    call->result = AfxMessageBox(call->text, MB_OKCANCEL);
    return 0;
}

// Shows AfxMessageBox on a worker thread, answers it with Cancel and returns its caption.
std::string CaptionOfWorkerMessageBox(HWND* pOwner)
{
    BoxCall call{ "Worker says hello" };
    CWinThread* t = AfxBeginThread(MessageBoxProc, &call);
    EXPECT_NE(t, nullptr);
    if (!t)
        return "";
    std::string caption;
    HWND box = WaitForDialogOf(t->m_nThreadID, 30000);
    EXPECT_NE(box, nullptr) << "no message box appeared";
    if (box) {
        char text[256] = {};
        GetWindowTextA(box, text, sizeof text);
        caption = text;
        *pOwner = GetWindow(box, GW_OWNER);
        PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
    }
    EXPECT_EQ(WaitForSingleObject(t->m_hThread, 30000), WAIT_OBJECT_0);
    EXPECT_EQ(call.result, IDCANCEL);
    delete t;
    return caption;
}

}  // namespace

TEST(ThreadTest, WorkerRunsAndStaysWaitableAfterItEnds)
{
    Work w;
    CWinThread* t = AfxBeginThread(WorkerProc, &w);
    ASSERT_NE(t, nullptr);
    EXPECT_FALSE(t->m_bAutoDelete);
    ASSERT_EQ(WaitForSingleObject(w.started, 30000), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(t->m_hThread, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    SetEvent(w.release);
    ASSERT_EQ(WaitForSingleObject(t->m_hThread, 30000), WAIT_OBJECT_0);

    // The thread has ended; its handle still answers.
    EXPECT_EQ(WaitForSingleObject(t->m_hThread, 0), WAIT_OBJECT_0);
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeThread(t->m_hThread, &code));
    EXPECT_EQ(code, 1234u);
    EXPECT_EQ(w.runs.load(), 1);
    EXPECT_NE(t->m_nThreadID, 0u);
    delete t;
}

TEST(ThreadTest, SuspendedThreadWaitsForResumeWithItsPriority)
{
    Work w;
    SetEvent(w.release);
    CWinThread* t = AfxBeginThread(WorkerProc, &w, THREAD_PRIORITY_BELOW_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->GetThreadPriority(), THREAD_PRIORITY_BELOW_NORMAL);
    EXPECT_EQ(WaitForSingleObject(w.started, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(w.runs.load(), 0);
    EXPECT_EQ(t->ResumeThread(), 1u);   // it was suspended once
    ASSERT_EQ(WaitForSingleObject(t->m_hThread, 30000), WAIT_OBJECT_0);
    EXPECT_EQ(w.runs.load(), 1);
    delete t;
}

TEST(ThreadTest, OwnerMayDeleteTheObjectWhileTheThreadRuns)
{
    Work w;
    CWinThread* t = AfxBeginThread(WorkerProc, &w);
    ASSERT_NE(t, nullptr);
    HANDLE h = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), t->m_hThread, GetCurrentProcess(), &h, 0, FALSE, DUPLICATE_SAME_ACCESS));
    ASSERT_EQ(WaitForSingleObject(w.started, 30000), WAIT_OBJECT_0);
    delete t;
    SetEvent(w.release);
    EXPECT_EQ(WaitForSingleObject(h, 30000), WAIT_OBJECT_0);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(h, &code));
    EXPECT_EQ(code, 1234u);
    CloseHandle(h);
}

TEST(ThreadTest, MessageBoxFromWorkerThreadHasTheApplicationCaption)
{
    HWND owner = reinterpret_cast<HWND>(1);
    {
        CWinApp app("Keldrix Test App");
        EXPECT_EQ(CaptionOfWorkerMessageBox(&owner), "Keldrix Test App");
        EXPECT_EQ(owner, nullptr);   // a worker thread has no active window
    }
    // Without an application name the program's file title is the caption.
    CWinApp unnamed;
    EXPECT_EQ(CaptionOfWorkerMessageBox(&owner), "classlib_tests");
}
