#include "afx.h"
#include <gtest/gtest.h>
#include <atomic>
#include <string>

namespace {

struct Work {
    HANDLE started = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::atomic<int> runs{0};
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

DWORD ExitCode(HANDLE thread)
{
    DWORD code = 0;
    EXPECT_EQ(WaitForSingleObject(thread, 30000), WAIT_OBJECT_0);
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    return code;
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

UINT MessageBoxProc(LPVOID p)
{
    *static_cast<int*>(p) = AfxMessageBox("Worker says hello", MB_OKCANCEL);
    return 0;
}

// Shows AfxMessageBox on a worker thread, answers it with Cancel and returns
// its caption, with "owned" when the box has an owner.
std::string CaptionOfWorkerMessageBox()
{
    int result = 0;
    CWinThread* t = AfxBeginThread(MessageBoxProc, &result);
    HWND box = nullptr;
    for (DWORD start = GetTickCount(); !box && GetTickCount() - start < 30000;) {
        EnumThreadWindows(t->m_nThreadID, FindVisibleDialog, reinterpret_cast<LPARAM>(&box));
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    EXPECT_NE(box, nullptr) << "no message box appeared";
    char text[256] = {};
    if (box) {
        GetWindowTextA(box, text, sizeof text);
        if (GetWindow(box, GW_OWNER))
            strcat(text, " owned");
        PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
    }
    EXPECT_EQ(ExitCode(t->m_hThread), 0u);
    EXPECT_EQ(result, IDCANCEL);
    delete t;
    return text;
}

}  // namespace

// The thread stays waitable after it ends; a suspended one waits for Resume
// with its priority; the owner may delete the object while the thread runs.
TEST(ThreadTest, WorkerThreadsRunOnceAndStayWaitable)
{
    Work w;
    CWinThread* t = AfxBeginThread(WorkerProc, &w);
    ASSERT_NE(t, nullptr);
    EXPECT_FALSE(t->m_bAutoDelete);
    ASSERT_EQ(WaitForSingleObject(w.started, 30000), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(t->m_hThread, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    SetEvent(w.release);
    EXPECT_EQ(ExitCode(t->m_hThread), 1234u);
    EXPECT_EQ(ExitCode(t->m_hThread), 1234u);  // ended, its handle still answers
    delete t;

    t = AfxBeginThread(WorkerProc, &w, THREAD_PRIORITY_BELOW_NORMAL, 0, CREATE_SUSPENDED);
    EXPECT_EQ(t->GetThreadPriority(), THREAD_PRIORITY_BELOW_NORMAL);
    EXPECT_EQ(w.runs.load(), 1);
    EXPECT_EQ(t->ResumeThread(), 1u);  // it was suspended once
    EXPECT_EQ(ExitCode(t->m_hThread), 1234u);
    EXPECT_EQ(w.runs.load(), 2);
    delete t;

    ResetEvent(w.started);
    ResetEvent(w.release);
    t = AfxBeginThread(WorkerProc, &w);
    HANDLE h = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), t->m_hThread, GetCurrentProcess(), &h, 0, FALSE,
                                DUPLICATE_SAME_ACCESS));
    ASSERT_EQ(WaitForSingleObject(w.started, 30000), WAIT_OBJECT_0);
    delete t;
    SetEvent(w.release);
    EXPECT_EQ(ExitCode(h), 1234u);
    CloseHandle(h);
}

TEST(ThreadTest, MessageBoxFromWorkerThreadHasTheApplicationCaption)
{
    {
        CWinApp app("Keldrix Test App");
        EXPECT_EQ(CaptionOfWorkerMessageBox(), "Keldrix Test App");  // a worker has no active window
    }
    // Without an application name the program's file title is the caption.
    CWinApp unnamed;
    EXPECT_EQ(CaptionOfWorkerMessageBox(), "classlib_tests");
}
