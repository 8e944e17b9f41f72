#pragma once
// Helpers of the skinned-control tests: a host dialog that records what its
// controls report, bitmap resources generated at run time, real mouse input,
// and reading back what is on the screen.
#include <gtest/gtest.h>
#include "afxwin.h"
#include "CWinApp.h"
#include "../classlib/WindowTestSupport.h"
#include "TestSupport.h"
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace skintest {

// Tests that move the mouse or read the screen take this lock first: test
// programs run side by side share one pointer and one display.
class ScreenLock : public testsupport::SharedStateLock {
public:
    ScreenLock() : testsupport::SharedStateLock("KeldrixTestScreenAndMouse") {}
};

// A modeless dialog that hosts controls: it records the WM_NOTIFY codes and
// BN_CLICKED commands it receives and paints its background in one colour.
class HostDialog : public CDialog {
public:
    struct Notice {
        UINT id;
        UINT code;
    };

    COLORREF background = RGB(0, 128, 0);
    std::vector<Notice> notices;
    std::vector<UINT> clicks;
    // Called for each notification as it arrives (inside the control's SendMessage).
    std::function<void(const Notice&)> onNotice;

    std::vector<UINT> Codes(UINT id) const
    {
        std::vector<UINT> codes;
        for (const Notice& n : notices)
            if (n.id == id)
                codes.push_back(n.code);
        return codes;
    }

protected:
    BOOL OnNotify(WPARAM, LPARAM lParam, LRESULT* pResult) override
    {
        const NMHDR* hdr = reinterpret_cast<const NMHDR*>(lParam);
        notices.push_back({static_cast<UINT>(hdr->idFrom), hdr->code});
        if (onNotice)
            onNotice(notices.back());
        *pResult = 0;
        return TRUE;
    }
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override
    {
        if (HIWORD(wParam) == BN_CLICKED && lParam)
            clicks.push_back(LOWORD(wParam));
        return CDialog::OnCommand(wParam, lParam);
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_ERASEBKGND) {
            RECT client;
            ::GetClientRect(m_hWnd, &client);
            CBrush brush(background);
            ::FillRect(reinterpret_cast<HDC>(wParam), &client, brush);
            return TRUE;
        }
        return CDialog::WindowProc(message, wParam, lParam);
    }
};

// A plain popup dialog for hosting controls, 400 x 200 pixels.
inline wintest::DialogTemplate HostTemplate()
{
    return wintest::DialogTemplate(WS_POPUP | WS_VISIBLE, 0, 0, 200, 100);
}

// Creates the host from t and places it on top at the screen's bottom left,
// (10, 520, 410, 720), clear of the other test programs' windows.
inline bool CreateHost(HostDialog& host, wintest::DialogTemplate& t)
{
    if (!host.CreateIndirect(t.Get()))
        return false;
    host.SetWindowPos(HWND_TOPMOST, 10, 520, 400, 200, SWP_SHOWWINDOW);
    host.UpdateWindow();
    return true;
}

// Bitmap resources made at run time: a copy of this program with the bitmaps
// added, loaded as a data file. Use makes it the resource module of the
// class library for the length of a call.
class BitmapResources {
public:
    using Painter = std::function<COLORREF(int, int)>;

    void Add(UINT id, int width, int height, const Painter& colorAt)
    {
        m_bitmaps[id] = wintest::MakeBmpFile(width, height, colorAt).substr(sizeof(BITMAPFILEHEADER));
    }

    bool Build()
    {
        char self[MAX_PATH];
        GetModuleFileNameA(nullptr, self, MAX_PATH);
        m_path = m_dir.File("resources.exe");
        if (!CopyFileA(self, m_path.c_str(), FALSE))
            return false;
        HANDLE update = BeginUpdateResourceA(m_path.c_str(), FALSE);
        if (!update)
            return false;
        for (auto& entry : m_bitmaps) {
            if (!UpdateResourceA(update, MAKEINTRESOURCEA(2) /* RT_BITMAP */, MAKEINTRESOURCEA(entry.first),
                                 MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), &entry.second[0],
                                 static_cast<DWORD>(entry.second.size()))) {
                EndUpdateResourceA(update, TRUE);
                return false;
            }
        }
        if (!EndUpdateResourceA(update, FALSE))
            return false;
        m_module = LoadLibraryExA(m_path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        return m_module != nullptr;
    }

    ~BitmapResources()
    {
        if (m_module)
            FreeLibrary(m_module);
    }

    // Runs f with this module as the application's resource module.
    void Use(const std::function<void()>& f) const
    {
        CWinApp app("skin tests");
        app.m_hInstance = m_module;
        f();
    }

private:
    testsupport::TempDir m_dir;
    std::string m_path;
    std::map<UINT, std::string> m_bitmaps;
    HMODULE m_module = nullptr;
};

// Real mouse input: the pointer is put on a screen point and a move (or a
// button change) is injected there.
inline void SendMouse(DWORD flags)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

inline void MoveMouse(POINT screen)
{
    SetCursorPos(screen.x, screen.y);
    SendMouse(MOUSEEVENTF_MOVE);
}

inline void MoveMouseTo(HWND hWnd, int x, int y)
{
    POINT p = {x, y};
    ClientToScreen(hWnd, &p);
    MoveMouse(p);
}

inline void LeftDown() { SendMouse(MOUSEEVENTF_LEFTDOWN); }
inline void LeftUp() { SendMouse(MOUSEEVENTF_LEFTUP); }

// What the window shows now, read back from the screen.
class ScreenPixels {
public:
    explicit ScreenPixels(HWND hWnd) : m_hWnd(hWnd), m_hDC(GetDC(hWnd)) {}
    ~ScreenPixels() { ReleaseDC(m_hWnd, m_hDC); }
    ScreenPixels(const ScreenPixels&) = delete;
    ScreenPixels& operator=(const ScreenPixels&) = delete;

    COLORREF At(int x, int y) const { return GetPixel(m_hDC, x, y); }
    // The number of pixels of rect that have (or, with equal false, do not have) the colour.
    int Count(const RECT& rect, COLORREF colour, bool equal = true) const
    {
        int n = 0;
        for (int y = rect.top; y < rect.bottom; ++y)
            for (int x = rect.left; x < rect.right; ++x)
                if ((At(x, y) == colour) == equal)
                    ++n;
        return n;
    }
    // The leftmost column of rect holding a pixel unlike background; -1 when none.
    int FirstColumnUnlike(const RECT& rect, COLORREF background) const
    {
        for (int x = rect.left; x < rect.right; ++x)
            for (int y = rect.top; y < rect.bottom; ++y)
                if (At(x, y) != background)
                    return x;
        return -1;
    }

private:
    HWND m_hWnd;
    HDC m_hDC;
};

// Pumps messages until the client area of hWnd has been painted and every
// pending message is handled.
inline void Settle(HWND hWnd)
{
    RedrawWindow(hWnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    wintest::PumpPending();
    GdiFlush();
}

}  // namespace skintest
