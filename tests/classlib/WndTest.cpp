// Binding windows to CWnd objects from several threads at once (every window
// test above the class library exercises the single-thread binding).
#include <gtest/gtest.h>
#include <atomic>
#include <thread>
#include <vector>
#include "ClasslibTestSupport.h"

TEST(WndBinding, SeveralThreadsCreateAndDestroyWindowsAtOnce)
{
    const int kThreads = 4, kWindows = 40;
    std::atomic<int> failures{0};
    std::vector<HWND> seen[kThreads];
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            std::vector<CWnd*> windows;
            for (int i = 0; i < kWindows; ++i) {
                auto* wnd = new CWnd;
                // A temporary wrapper of another window too, freed at the thread's end.
                failures += !wnd->CreateEx(0, "STATIC", "test", WS_POPUP, 10, 10, 50, 20, nullptr, nullptr)
                            || CWnd::FromHandlePermanent(wnd->m_hWnd) != wnd
                            || CWnd::FromHandle(GetDesktopWindow()) == nullptr;
                seen[t].push_back(wnd->m_hWnd);
                windows.push_back(wnd);
            }
            for (CWnd* wnd : windows) {
                failures += !wnd->DestroyWindow() || wnd->m_hWnd;
                delete wnd;
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(failures.load(), 0);
    for (auto& handles : seen)
        for (HWND h : handles)
            EXPECT_EQ(CWnd::FromHandlePermanent(h), nullptr);
}
