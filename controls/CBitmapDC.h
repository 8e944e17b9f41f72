#pragma once
#include <windows.h>

// A memory DC with a bitmap of its own selected into it: the owner of the
// DC, the bitmap and the bitmap it replaced, freed together.
class CBitmapDC {
public:
    CBitmapDC() = default;
    ~CBitmapDC() { Delete(); }
    CBitmapDC(const CBitmapDC&) = delete;
    CBitmapDC& operator=(const CBitmapDC&) = delete;

    // A DC compatible with hReference (the screen when NULL) holding a
    // compatible bitmap of cx by cy pixels; FALSE when either cannot be made.
    BOOL Create(HDC hReference, int cx, int cy);
    void Delete();

    BOOL IsValid() const { return m_hDC != nullptr; }
    HDC GetSafeHdc() const { return m_hDC; }
    int Width() const { return m_cx; }
    int Height() const { return m_cy; }

private:
    HDC m_hDC = nullptr;
    HBITMAP m_hBitmap = nullptr;
    HGDIOBJ m_hOldBitmap = nullptr;
    int m_cx = 0;
    int m_cy = 0;
};
