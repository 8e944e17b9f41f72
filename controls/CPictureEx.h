#pragma once
#include "CCriticalSection.h"
#include "CHandle.h"
#include "afxwin.h"
#include <ocidl.h>
#include <atomic>
#include "CBitmapDC.h"
#include "CGifReader.h"

// One decoded frame of an animated GIF.
struct PictureFrame {
    IPicture* m_pPicture = nullptr;  // owned: released at unload
    int m_nWidth = 0;
    int m_nHeight = 0;
    int m_nLeft = 0;
    int m_nTop = 0;
    int m_nDelay = -1;               // hundredths of a second; -1 without a graphic control extension
    int m_nDisposal = 0;             // 0 to 7
};

// A static control that shows a picture and plays an animated GIF on a thread
// of its own. The GIF's blocks are walked here; every frame is cut out as a
// one-frame GIF and decoded by the system's picture loader. The thread draws
// into an off-screen canvas; WM_PAINT copies the canvas to the window.
class CPictureEx : public CStatic {
public:
    CPictureEx();
    ~CPictureEx() override;
    CPictureEx(const CPictureEx&) = delete;
    CPictureEx& operator=(const CPictureEx&) = delete;

    BOOL Load(LPCSTR pszPath);
    BOOL LoadFromResource(LPCSTR pszName, LPCSTR pszType);
    BOOL LoadFromMemory(HGLOBAL hData, DWORD dwSize);
    BOOL Draw();
    void Stop();
    void UnLoad();

    BOOL IsAnimatedGIF() const { return m_bIsGIF && m_arrFrames.GetSize() > 1; }
    int GetFrameCount() const { return IsAnimatedGIF() ? (int)m_arrFrames.GetSize() : 0; }
    BOOL IsGIF() const { return m_bIsGIF; }
    BOOL IsPlaying() const { return m_bIsPlaying; }
    COLORREF GetBkColor() const { return m_clrBackground; }
    SIZE GetSize() const { return m_PictureSize; }
    void SetPaintRect(const RECT* pRect);
    BOOL GetPaintRect(RECT* pRect) const;

protected:
    afx_msg void OnPaint();
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    friend class TestPictureEx;  // the tests step the animation by hand and read the canvas
    // How long a frame stays on show, in milliseconds.
    static DWORD GetFrameWait(const PictureFrame& frame);
    static unsigned __stdcall AnimationThread(void* pParam);
    void ThreadAnimation();
    // Decodes a picture from global memory; NULL when the loader refuses it.
    static IPicture* LoadPicture(HGLOBAL hData, DWORD dwSize, BOOL bFreeData);
    // Decodes one frame cut out as a stand-alone GIF.
    static IPicture* LoadFrame(const CGifReader& reader, const GifFrameSpan& span);
    BOOL PrepareCanvas();
    // Sets the exit flag, wakes the thread and waits for it up to nTimeout ms;
    // FALSE when it still runs (its handle is kept until it has ended).
    BOOL EndThread(DWORD nTimeout);
    // Frame drawing; the canvas lock is taken inside.
    void ShowFrame();
    void DisposeFrame();
    void NextFrame();
    void FillCanvas(const RECT& rect);
    void InvalidateCanvas();

    RECT m_PaintRect = {0, 0, 0, 0};
    SIZE m_PictureSize = {0, 0};
    COLORREF m_clrBackground = RGB(255, 255, 255);
    std::atomic<int> m_nCurrFrame{0};
    BOOL m_bIsGIF = FALSE;
    std::atomic<BOOL> m_bIsPlaying{FALSE};
    std::atomic<BOOL> m_bExitThread{FALSE};
    BOOL m_bIsInitialized = FALSE;
    BOOL m_bFrameShown = FALSE;     // the current frame is on the canvas, not yet disposed of
    CBitmapDC m_canvas;
    CBitmapDC m_savedArea;          // what lies under a frame with disposal 3
    CCriticalSection m_csCanvas;    // the canvas and the saved area, between the thread and WM_PAINT
    CHandle m_hThread;
    CHandle m_hExitEvent;
    IPicture* m_pPicture = nullptr;
    CArray<PictureFrame> m_arrFrames;
};
