#include "CPictureEx.h"
#include "CComPtr.h"
#include "CScopedLock.h"
#include <olectl.h>
#include <process.h>
#include <new>
#include <vector>
#include "CGifReader.h"

namespace {

// Owns a movable global memory block holding a copy of some bytes.
class GlobalCopy {
public:
    GlobalCopy(const void* pBytes, SIZE_T nSize) : m_hData(GlobalAlloc(GMEM_MOVEABLE, nSize))
    {
        void* pData = m_hData ? GlobalLock(m_hData) : nullptr;
        if (!pData) {
            Free();
            return;
        }
        memcpy(pData, pBytes, nSize);
        GlobalUnlock(m_hData);
    }
    ~GlobalCopy() { Free(); }
    GlobalCopy(const GlobalCopy&) = delete;
    GlobalCopy& operator=(const GlobalCopy&) = delete;

    HGLOBAL Get() const { return m_hData; }
    // Hands the block over to a new owner.
    HGLOBAL Release()
    {
        HGLOBAL hData = m_hData;
        m_hData = nullptr;
        return hData;
    }

private:
    void Free()
    {
        if (m_hData)
            GlobalFree(m_hData);
        m_hData = nullptr;
    }
    HGLOBAL m_hData;
};

// Draws a whole picture into a rectangle of a DC.
HRESULT RenderPicture(IPicture* pPicture, HDC hDC, int x, int y, int cx, int cy)
{
    OLE_XSIZE_HIMETRIC hmWidth = 0;
    OLE_YSIZE_HIMETRIC hmHeight = 0;
    pPicture->get_Width(&hmWidth);
    pPicture->get_Height(&hmHeight);
    return pPicture->Render(hDC, x, y, cx, cy, 0, hmHeight, hmWidth, -hmHeight, nullptr);
}

}  // namespace

BEGIN_MESSAGE_MAP(CPictureEx, CStatic)
    ON_WM_PAINT()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CPictureEx::CPictureEx()
{
    m_hExitEvent.Attach(CreateEventA(nullptr, TRUE, FALSE, nullptr));
}

CPictureEx::~CPictureEx()
{
    UnLoad();
}

BOOL CPictureEx::Load(LPCSTR pszPath)
{
    CFile file;
    if (!file.Open(pszPath, CFile::modeRead | CFile::shareDenyWrite))
        return FALSE;
    std::vector<BYTE> bytes;
    try {
        ULONGLONG length = file.GetLength();
        if (length == 0 || length > 0x7FFFFFFF)
            return FALSE;
        bytes.resize((size_t)length);
        if (file.Read(bytes.data(), (UINT)bytes.size()) != bytes.size())
            return FALSE;
    } catch (CException* e) {
        e->Delete();
        return FALSE;
    } catch (const std::bad_alloc&) {
        return FALSE;
    }
    file.Close();
    GlobalCopy data(bytes.data(), bytes.size());
    return data.Get() && LoadFromMemory(data.Get(), (DWORD)bytes.size());
}

BOOL CPictureEx::LoadFromResource(LPCSTR pszName, LPCSTR pszType)
{
    HINSTANCE hInstance = AfxGetResourceHandle();
    HRSRC hResource = FindResourceA(hInstance, pszName, pszType);
    HGLOBAL hLoaded = hResource ? LoadResource(hInstance, hResource) : nullptr;
    const void* pResource = hLoaded ? LockResource(hLoaded) : nullptr;
    DWORD dwSize = hResource ? SizeofResource(hInstance, hResource) : 0;
    if (!pResource || dwSize == 0)
        return FALSE;
    GlobalCopy data(pResource, dwSize);
    return data.Get() && LoadFromMemory(data.Get(), dwSize);
}

IPicture* CPictureEx::LoadPicture(HGLOBAL hData, DWORD dwSize, BOOL bFreeData)
{
    CComPtr<IStream> pStream;
    if (FAILED(CreateStreamOnHGlobal(hData, bFreeData, &pStream)) || !pStream) {
        if (bFreeData)
            GlobalFree(hData);
        return nullptr;
    }
    IPicture* pPicture = nullptr;
    if (FAILED(OleLoadPicture(pStream.Get(), (LONG)dwSize, FALSE, IID_IPicture, (void**)&pPicture)))
        pPicture = nullptr;
    return pPicture;
}

IPicture* CPictureEx::LoadFrame(const CGifReader& reader, const GifFrameSpan& span)
{
    std::vector<BYTE> bytes = reader.BuildFrameGif(span);
    GlobalCopy data(bytes.data(), bytes.size());
    if (bytes.empty() || !data.Get())
        return nullptr;
    // The stream frees the frame's memory.
    return LoadPicture(data.Release(), (DWORD)bytes.size(), TRUE);
}

BOOL CPictureEx::LoadFromMemory(HGLOBAL hData, DWORD dwSize)
{
    UnLoad();
    if (!hData)
        return FALSE;
    // Never trust a size beyond the memory block itself.
    SIZE_T nBlock = GlobalSize(hData);
    if (dwSize > nBlock)
        dwSize = (DWORD)nBlock;
    const BYTE* pData = (const BYTE*)GlobalLock(hData);
    if (!pData)
        return FALSE;

    CGifReader reader(pData, dwSize);
    BOOL bLoaded = FALSE;
    if (!reader.IsGif()) {
        GlobalUnlock(hData);
        m_pPicture = LoadPicture(hData, dwSize, FALSE);
        if (m_pPicture) {
            OLE_XSIZE_HIMETRIC hmWidth = 0;
            OLE_YSIZE_HIMETRIC hmHeight = 0;
            m_pPicture->get_Width(&hmWidth);
            m_pPicture->get_Height(&hmHeight);
            HDC hDC = ::GetDC(m_hWnd);
            m_PictureSize.cx = MulDiv(hmWidth, GetDeviceCaps(hDC, LOGPIXELSX), 2540);
            m_PictureSize.cy = MulDiv(hmHeight, GetDeviceCaps(hDC, LOGPIXELSY), 2540);
            ::ReleaseDC(m_hWnd, hDC);
            bLoaded = TRUE;
        }
    } else {
        m_bIsGIF = TRUE;
        COLORREF background;
        if (reader.GetBackgroundColor(background))
            m_clrBackground = background;
        m_PictureSize.cx = reader.GetScreenWidth();
        m_PictureSize.cy = reader.GetScreenHeight();
        std::vector<GifFrameSpan> spans = reader.ReadFrames();
        if (spans.size() == 1) {
            // A still GIF: one picture shown at the logical screen size.
            m_pPicture = LoadFrame(reader, spans[0]);
        } else {
            for (const GifFrameSpan& span : spans) {
                PictureFrame frame;
                frame.m_pPicture = LoadFrame(reader, span);
                if (!frame.m_pPicture)
                    continue;
                frame.m_nLeft = span.left;
                frame.m_nTop = span.top;
                frame.m_nWidth = span.width;
                frame.m_nHeight = span.height;
                frame.m_nDelay = span.delay;
                frame.m_nDisposal = span.disposal;
                m_arrFrames.Add(frame);
            }
        }
        GlobalUnlock(hData);
        bLoaded = m_pPicture || m_arrFrames.GetSize() > 0;
    }
    if (!bLoaded || !PrepareCanvas()) {
        UnLoad();
        return FALSE;
    }
    return TRUE;
}

BOOL CPictureEx::PrepareCanvas()
{
    if (m_hWnd)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, m_PictureSize.cx, m_PictureSize.cy,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    HDC hDC = ::GetDC(m_hWnd);
    CScopedLock lock(m_csCanvas);
    BOOL bCreated = m_canvas.Create(hDC, m_PictureSize.cx, m_PictureSize.cy);
    ::ReleaseDC(m_hWnd, hDC);
    if (!bCreated)
        return FALSE;
    m_clrBackground = GetSysColor(COLOR_3DFACE);
    RECT rect = {0, 0, m_PictureSize.cx, m_PictureSize.cy};
    FillRect(m_canvas.GetSafeHdc(), &rect, (HBRUSH)(COLOR_MENU + 1));
    m_bIsInitialized = TRUE;
    return TRUE;
}

BOOL CPictureEx::Draw()
{
    if (!m_bIsInitialized)
        return FALSE;
    if (IsAnimatedGIF()) {
        if (m_hThread.IsValid()) {
            // Already playing; or a thread that would not stop in time has
            // ended since and is cleared away before a new one starts.
            if (WaitForSingleObject(m_hThread, 0) != WAIT_OBJECT_0)
                return TRUE;
            EndThread(0);
        }
        unsigned nThreadId = 0;
        m_hThread.Attach(reinterpret_cast<HANDLE>(
            _beginthreadex(nullptr, 0, AnimationThread, this, CREATE_SUSPENDED, &nThreadId)));
        if (!m_hThread.IsValid())
            return FALSE;
        ResumeThread(m_hThread);
        return TRUE;
    }
    if (m_pPicture) {
        CScopedLock lock(m_csCanvas);
        RenderPicture(m_pPicture, m_canvas.GetSafeHdc(), 0, 0, m_PictureSize.cx, m_PictureSize.cy);
    } else if (m_arrFrames.GetSize() == 1) {
        // A GIF of which only one frame could be decoded: that frame, in its place.
        m_nCurrFrame = 0;
        ShowFrame();
        m_bFrameShown = FALSE;
    }
    InvalidateCanvas();
    return TRUE;
}

BOOL CPictureEx::EndThread(DWORD nTimeout)
{
    m_bExitThread = TRUE;
    if (m_hExitEvent.IsValid())
        SetEvent(m_hExitEvent);
    if (m_hThread.IsValid()) {
        if (WaitForSingleObject(m_hThread, nTimeout) != WAIT_OBJECT_0)
            return FALSE;
        m_hThread.Close();
    }
    if (m_hExitEvent.IsValid())
        ResetEvent(m_hExitEvent);
    m_bExitThread = FALSE;
    return TRUE;
}

void CPictureEx::Stop()
{
    m_bIsPlaying = FALSE;
    EndThread(5000);
}

void CPictureEx::UnLoad()
{
    // The canvas and the frames go only once no thread can use them.
    EndThread(INFINITE);
    m_bIsPlaying = FALSE;
    if (m_pPicture) {
        m_pPicture->Release();
        m_pPicture = nullptr;
    }
    for (INT_PTR i = 0; i < m_arrFrames.GetSize(); ++i) {
        if (m_arrFrames[i].m_pPicture)
            m_arrFrames[i].m_pPicture->Release();
    }
    m_arrFrames.RemoveAll();
    {
        CScopedLock lock(m_csCanvas);
        m_canvas.Delete();
        m_savedArea.Delete();
    }
    SetRectEmpty(&m_PaintRect);
    m_PictureSize.cx = m_PictureSize.cy = 0;
    m_clrBackground = RGB(255, 255, 255);
    m_nCurrFrame = 0;
    m_bIsGIF = FALSE;
    m_bIsInitialized = FALSE;
    m_bFrameShown = FALSE;
}

void CPictureEx::SetPaintRect(const RECT* pRect)
{
    if (pRect)
        m_PaintRect = *pRect;
    else
        SetRectEmpty(&m_PaintRect);
}

BOOL CPictureEx::GetPaintRect(RECT* pRect) const
{
    if (!pRect)
        return FALSE;
    *pRect = m_PaintRect;
    return TRUE;
}

DWORD CPictureEx::GetFrameWait(const PictureFrame& frame)
{
    // Short delays, and frames without a control extension, show for 100 ms.
    return frame.m_nDelay >= 5 ? (DWORD)frame.m_nDelay * 10 : 100;
}

unsigned __stdcall CPictureEx::AnimationThread(void* pParam)
{
    CPictureEx* pThis = static_cast<CPictureEx*>(pParam);
    pThis->m_bIsPlaying = TRUE;
    pThis->ThreadAnimation();
    pThis->m_bIsPlaying = FALSE;
    return 0;
}

void CPictureEx::ThreadAnimation()
{
    // Resuming after Stop: the frame left on show is disposed of, then shown again.
    if (m_bFrameShown)
        DisposeFrame();
    while (!m_bExitThread) {
        ShowFrame();
        if (m_bExitThread)
            break;
        WaitForSingleObject(m_hExitEvent, GetFrameWait(m_arrFrames[m_nCurrFrame]));
        if (m_bExitThread)
            break;
        NextFrame();
    }
}

void CPictureEx::ShowFrame()
{
    HRESULT hr;
    {
        CScopedLock lock(m_csCanvas);
        const PictureFrame& frame = m_arrFrames[m_nCurrFrame];
        HDC hCanvas = m_canvas.GetSafeHdc();
        m_savedArea.Delete();
        if (frame.m_nDisposal == 3 &&
            m_savedArea.Create(hCanvas, frame.m_nWidth, frame.m_nHeight))
            BitBlt(m_savedArea.GetSafeHdc(), 0, 0, frame.m_nWidth, frame.m_nHeight, hCanvas,
                   frame.m_nLeft, frame.m_nTop, SRCCOPY);
        hr = RenderPicture(frame.m_pPicture, hCanvas, frame.m_nLeft, frame.m_nTop, frame.m_nWidth,
                           frame.m_nHeight);
        m_bFrameShown = TRUE;
    }
    if (SUCCEEDED(hr))
        InvalidateCanvas();
}

void CPictureEx::DisposeFrame()
{
    CScopedLock lock(m_csCanvas);
    const PictureFrame& frame = m_arrFrames[m_nCurrFrame];
    if (frame.m_nDisposal == 2) {
        RECT rect = {frame.m_nLeft, frame.m_nTop, frame.m_nLeft + frame.m_nWidth,
                     frame.m_nTop + frame.m_nHeight};
        FillCanvas(rect);
    } else if (frame.m_nDisposal == 3 && m_savedArea.IsValid()) {
        BitBlt(m_canvas.GetSafeHdc(), frame.m_nLeft, frame.m_nTop, m_savedArea.Width(),
               m_savedArea.Height(), m_savedArea.GetSafeHdc(), 0, 0, SRCCOPY);
        m_savedArea.Delete();
    }
    m_bFrameShown = FALSE;
}

void CPictureEx::NextFrame()
{
    DisposeFrame();
    CScopedLock lock(m_csCanvas);
    if (++m_nCurrFrame >= m_arrFrames.GetSize()) {
        m_nCurrFrame = 0;
        RECT rect = {0, 0, m_PictureSize.cx, m_PictureSize.cy};
        FillCanvas(rect);
    }
}

void CPictureEx::FillCanvas(const RECT& rect)
{
    HBRUSH hBrush = CreateSolidBrush(m_clrBackground);
    if (hBrush) {
        FillRect(m_canvas.GetSafeHdc(), &rect, hBrush);
        DeleteObject(hBrush);
    }
}

void CPictureEx::InvalidateCanvas()
{
    if (m_hWnd)
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CPictureEx::OnPaint()
{
    PAINTSTRUCT ps;
    HDC hDC = ::BeginPaint(m_hWnd, &ps);
    {
        CScopedLock lock(m_csCanvas);
        if (m_bIsInitialized && m_canvas.IsValid()) {
            if (IsRectEmpty(&m_PaintRect))
                BitBlt(hDC, 0, 0, m_PictureSize.cx, m_PictureSize.cy, m_canvas.GetSafeHdc(), 0, 0, SRCCOPY);
            else
                BitBlt(hDC, 0, 0, m_PaintRect.right - m_PaintRect.left, m_PaintRect.bottom - m_PaintRect.top,
                       m_canvas.GetSafeHdc(), m_PaintRect.left, m_PaintRect.top, SRCCOPY);
        }
    }
    ::EndPaint(m_hWnd, &ps);
}

void CPictureEx::OnDestroy()
{
    Stop();
    CStatic::OnDestroy();
}
