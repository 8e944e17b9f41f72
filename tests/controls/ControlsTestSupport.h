#pragma once
// Helpers of the controls tests: a host dialog that records what its controls
// report, bitmap resources made at run time, the gallery's templates and
// bitmaps, real mouse input, reading back the screen, GIF files built in
// memory, and a picture whose animation the tests step by hand.
#include <gtest/gtest.h>
#include "afxwin.h"
#include "CPictureEx.h"
#include "CScopedLock.h"
#include "CWinApp.h"
#include "../classlib/ClasslibTestSupport.h"
#include "../gallery/GalleryResource.h"
#include "TestSupport.h"
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace controlstest {

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
inline classlibtest::DialogTemplate HostTemplate()
{
    return classlibtest::DialogTemplate(WS_POPUP | WS_VISIBLE, 0, 0, 200, 100);
}

// Creates the host from t and places it on top at the screen's bottom left,
// (10, 520, 410, 720), clear of the other test programs' windows.
inline bool CreateHost(HostDialog& host, classlibtest::DialogTemplate& t)
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
        m_bitmaps[id] = classlibtest::MakeBmpFile(width, height, colorAt).substr(sizeof(BITMAPFILEHEADER));
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

// Real mouse input: a move (or a button change) injected at a point of a window.
inline void SendMouse(DWORD flags)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

inline void MoveMouseTo(HWND hWnd, int x, int y)
{
    POINT p = {x, y};
    ClientToScreen(hWnd, &p);
    SetCursorPos(p.x, p.y);
    SendMouse(MOUSEEVENTF_MOVE);
}

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
    classlibtest::PumpPending();
    GdiFlush();
}

// gallery.exe loaded as a data file: its resources, not its code.
inline HMODULE GalleryModule()
{
    static HMODULE module = [] {
        char path[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, path, MAX_PATH);
        char* slash = strrchr(path, '\\');
        if (slash)
            strcpy(slash + 1, "gallery.exe");
        return LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }();
    return module;
}

inline LPCDLGTEMPLATEA GalleryTemplate(UINT id)
{
    HMODULE module = GalleryModule();
    HRSRC resource = module ? FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5)) : nullptr;
    HGLOBAL global = resource ? LoadResource(module, resource) : nullptr;
    return global ? static_cast<LPCDLGTEMPLATEA>(LockResource(global)) : nullptr;
}

// Builds small GIF files in memory for the tests. The image data is coded as
// LZW literals only (every pixel its own code, a clear code before the table
// fills), which every decoder reads and which keeps the encoder tiny.
class GifBuilder {
public:
    // A logical screen with a global table of four colours.
    GifBuilder(int width, int height, const std::vector<COLORREF>& palette, bool gif89 = true,
               BYTE backgroundIndex = 0)
    {
        m_bytes = gif89 ? "GIF89a" : "GIF87a";
        Word(width).Word(height).Byte(0x80 | 0x10 | 1).Byte(backgroundIndex).Byte(0);   // 4 entries, 2 bits
        ColorTable(palette);
    }
    // Graphic control extension; transparent < 0 for none.
    GifBuilder& Control(int disposal, int delay, int transparent = -1)
    {
        m_bytes += "\x21\xF9\x04";
        return Byte((disposal << 2) | (transparent >= 0 ? 1 : 0)).Word(delay).Byte(transparent >= 0 ? transparent : 0)
            .Byte(0);
    }
    // The looping application extension.
    GifBuilder& Netscape()
    {
        m_bytes += std::string("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19);
        return *this;
    }
    GifBuilder& Comment(const std::string& text)
    {
        m_bytes += "\x21\xFE";
        Byte(static_cast<int>(text.size()));
        m_bytes += text;
        return Byte(0);
    }
    // An image filled with one colour index; pixels (row by row) override it.
    GifBuilder& Image(int left, int top, int width, int height, BYTE fill,
                      const std::vector<BYTE>& pixels = {}, const std::vector<COLORREF>& local = {})
    {
        m_bytes += ',';
        Word(left).Word(top).Word(width).Word(height).Byte(local.empty() ? 0 : 0x81);
        if (!local.empty())
            ColorTable(local);
        LzwLiterals(pixels.empty() ? std::vector<BYTE>(static_cast<size_t>(width) * height, fill) : pixels);
        return *this;
    }
    GifBuilder& Trailer() { return Byte(';'); }
    const std::string& Bytes() const { return m_bytes; }

private:
    GifBuilder& Byte(int v)
    {
        m_bytes += static_cast<char>(v & 0xFF);
        return *this;
    }
    GifBuilder& Word(int v) { return Byte(v).Byte(v >> 8); }
    void ColorTable(const std::vector<COLORREF>& palette)
    {
        for (size_t i = 0; i < 4; ++i) {
            COLORREF c = i < palette.size() ? palette[i] : 0;
            Byte(GetRValue(c)).Byte(GetGValue(c)).Byte(GetBValue(c));
        }
    }
    void LzwLiterals(const std::vector<BYTE>& indices)
    {
        const int minCodeSize = 2, clear = 1 << minCodeSize;
        std::string data;
        unsigned bits = 0;
        int count = 0;
        auto emit = [&](int code, int width) {
            for (bits |= static_cast<unsigned>(code) << count, count += width; count >= 8; bits >>= 8, count -= 8)
                data += static_cast<char>(bits & 0xFF);
        };
        // Follow the decoder's table so each code goes out at the width it reads.
        int width = minCodeSize + 1, next = clear + 2;
        bool first = true;
        emit(clear, width);
        for (BYTE index : indices) {
            if (next >= 4094) {
                emit(clear, width);
                width = minCodeSize + 1;
                next = clear + 2;
                first = true;
            }
            emit(index, width);
            if (!first && ++next == (1 << width) && width < 12)
                ++width;
            first = false;
        }
        emit(clear + 1, width);
        if (count)
            data += static_cast<char>(bits & 0xFF);
        Byte(minCodeSize);
        for (size_t i = 0; i < data.size(); i += 255) {
            std::string chunk = data.substr(i, 255);
            Byte(static_cast<int>(chunk.size()));
            m_bytes += chunk;
        }
        Byte(0);
    }

    std::string m_bytes;
};

}  // namespace controlstest

// (At file scope: the picture names it as its friend.) A picture whose animation the tests step by hand while no thread plays it,
// and whose canvas they read.
class TestPictureEx : public CPictureEx {
public:
    // Shows the current frame the first time, and afterwards disposes of the
    // frame on show and shows the next; FALSE when there is no animation or it is playing.
    BOOL AdvanceFrame()
    {
        if (!m_bIsInitialized || !IsAnimatedGIF() || m_hThread.IsValid())
            return FALSE;
        if (m_bFrameShown)
            NextFrame();
        ShowFrame();
        return TRUE;
    }
    int GetCurrentFrame() const { return m_nCurrFrame; }
    const PictureFrame* GetFrame(int nIndex) const
    {
        return nIndex >= 0 && nIndex < m_arrFrames.GetSize() ? &m_arrFrames[nIndex] : nullptr;
    }
    COLORREF GetCanvasPixel(int x, int y)
    {
        CScopedLock lock(m_csCanvas);
        return m_canvas.IsValid() ? GetPixel(m_canvas.GetSafeHdc(), x, y) : CLR_INVALID;
    }
    using CPictureEx::GetFrameWait;
};

