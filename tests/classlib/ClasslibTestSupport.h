#pragma once
// Helpers of the class library tests (and the controls tests above them):
// dialog templates built in memory, generated bitmaps, waiting on the message
// queue, and the library's invalid-argument exception.
#include "afxwin.h"
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace classlibtest {

// A DIALOGEX template built in memory, DWORD-aligned as the system wants it.
class DialogTemplate {
public:
    DialogTemplate(DWORD style, short x, short y, short cx, short cy, const char* font = "Tahoma",
                   WORD pointSize = 8, DWORD exStyle = 0)
        : m_style(style | (font ? DS_SETFONT : 0)), m_exStyle(exStyle), m_x(x), m_y(y), m_cx(cx), m_cy(cy),
          m_font(font ? font : ""), m_pointSize(pointSize)
    {
    }

    // A control of a predefined class ("BUTTON", "STATIC", "EDIT"...) or a registered one.
    DialogTemplate& Add(const char* className, const char* text, DWORD id, DWORD style, short x, short y,
                        short cx, short cy)
    {
        m_items.push_back({className, text, id, style | WS_CHILD | WS_VISIBLE, x, y, cx, cy});
        return *this;
    }

    LPCDLGTEMPLATEA Get()
    {
        Build();
        return reinterpret_cast<LPCDLGTEMPLATEA>(m_data.data());
    }

private:
    struct Item {
        std::string className, text;
        DWORD id, style;
        short x, y, cx, cy;
    };

    void Word(WORD w) { m_bytes.push_back(static_cast<BYTE>(w)); m_bytes.push_back(static_cast<BYTE>(w >> 8)); }
    void Dword(DWORD d) { Word(static_cast<WORD>(d)); Word(static_cast<WORD>(d >> 16)); }
    void String(const std::string& s)
    {
        for (char c : s)
            Word(static_cast<BYTE>(c));
        Word(0);
    }
    void Align() { while (m_bytes.size() % 4) m_bytes.push_back(0); }

    void Build()
    {
        m_bytes.clear();
        Word(1);
        Word(0xFFFF);
        Dword(0);
        Dword(m_exStyle);
        Dword(m_style);
        Word(static_cast<WORD>(m_items.size()));
        Word(static_cast<WORD>(m_x)); Word(static_cast<WORD>(m_y));
        Word(static_cast<WORD>(m_cx)); Word(static_cast<WORD>(m_cy));
        Word(0);  // menu
        Word(0);  // class
        Word(0);  // title
        if (m_style & DS_SETFONT) {
            Word(m_pointSize);
            Word(FW_NORMAL);
            m_bytes.push_back(0);  // italic
            m_bytes.push_back(DEFAULT_CHARSET);
            String(m_font);
        }
        for (const Item& item : m_items) {
            Align();
            Dword(0);
            Dword(0);
            Dword(item.style);
            Word(static_cast<WORD>(item.x)); Word(static_cast<WORD>(item.y));
            Word(static_cast<WORD>(item.cx)); Word(static_cast<WORD>(item.cy));
            Dword(item.id);
            String(item.className);
            String(item.text);
            Word(0);
        }
        m_data.assign((m_bytes.size() + 3) / 4, 0);
        memcpy(m_data.data(), m_bytes.data(), m_bytes.size());
    }

    DWORD m_style, m_exStyle;
    short m_x, m_y, m_cx, m_cy;
    std::string m_font;
    WORD m_pointSize;
    std::vector<Item> m_items;
    std::vector<BYTE> m_bytes;
    std::vector<DWORD> m_data;
};

// A 24-bit .bmp file of width x height whose pixels come from colorAt(x, y).
inline std::string MakeBmpFile(int width, int height, const std::function<COLORREF(int, int)>& colorAt)
{
    const int stride = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + stride * height;
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;  // bottom-up
    info.biPlanes = 1;
    info.biBitCount = 24;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    for (int y = height - 1; y >= 0; --y) {
        std::string row(stride, '\0');
        for (int x = 0; x < width; ++x) {
            COLORREF c = colorAt(x, y);
            row[x * 3] = static_cast<char>(GetBValue(c));
            row[x * 3 + 1] = static_cast<char>(GetGValue(c));
            row[x * 3 + 2] = static_cast<char>(GetRValue(c));
        }
        bytes += row;
    }
    return bytes;
}

// The same picture as a DIB section.
inline HBITMAP MakeBitmap(int width, int height, const std::function<COLORREF(int, int)>& colorAt)
{
    const std::string file = MakeBmpFile(width, height, colorAt);
    const size_t offset = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(file.data() + sizeof(BITMAPFILEHEADER)),
                                      DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap)
        memcpy(bits, file.data() + offset, file.size() - offset);
    return bitmap;
}

// Handles this thread's messages until done() holds or timeoutMs has passed;
// true when done() held.
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 20000)
{
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!CWnd::WalkPreTranslateTree(nullptr, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
        if (done())
            return true;
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs - elapsed, QS_ALLINPUT);
    }
}

// Handles every message already queued (and those they cause) on this thread.
inline void PumpPending()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Runs f and reports whether it threw the class library's invalid-argument exception.
template <class F>
bool ThrowsInvalidArg(F f)
{
    try {
        f();
    } catch (CInvalidArgException* e) {
        e->Delete();
        return true;
    }
    return false;
}

}  // namespace classlibtest
