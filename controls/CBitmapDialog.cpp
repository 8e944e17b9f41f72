#include "CBitmapDialog.h"
#include <algorithm>
#include <cstring>

BEGIN_MESSAGE_MAP(CBitmapDialog, CDialog)
    ON_WM_ERASEBKGND()
    ON_WM_LBUTTONDOWN()
    ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

CBitmapDialog::CBitmapDialog(UINT templateId, CWnd* parent, LPCSTR bitmapName, UINT bitmapId, int, CBitmap* bitmap)
    : CDialog(templateId, parent), m_nullBrush(static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)))
{
    if (bitmapName)
        SetBitmapFile(bitmapName, nullptr);
    else if (bitmapId)
        SetBitmap(bitmapId);
    else if (bitmap)
        AttachBitmap(bitmap);
}

CBitmapDialog::~CBitmapDialog()
{
    FreeBitmap();
}

BOOL CBitmapDialog::OnInitDialog()
{
    BOOL result = CDialog::OnInitDialog();
    // A bitmap given before the window existed shapes it now.
    if (m_hasBitmap)
        MakeWindowRgn();
    return result;
}

void CBitmapDialog::FreeBitmap()
{
    if (m_ownsBitmap) {
        delete m_bitmap;   // deletes the GDI object with it
        m_ownsBitmap = FALSE;
    }
    m_bitmap = nullptr;
    m_hasBitmap = FALSE;
}

BOOL CBitmapDialog::SetBitmap(UINT id)
{
    return SetBitmapFile(MAKEINTRESOURCEA(id), nullptr);
}

BOOL CBitmapDialog::SetBitmapFile(LPCSTR resourceName, LPCSTR fileName)
{
    FreeBitmap();
    if (resourceName) {
        CBitmap* loaded = new CBitmap;
        if (!loaded->LoadBitmap(resourceName)) {
            delete loaded;
            return FALSE;
        }
        m_bitmap = loaded;
        m_ownsBitmap = TRUE;
        m_hasBitmap = TRUE;
        MakeWindowRgn();
        return TRUE;
    }
    if (!fileName)
        return FALSE;
    // The loaded file is only the source of the copy: its handle is freed here.
    CBitmap file;
    if (!file.Attach(LoadImageA(nullptr, fileName, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)))
        return FALSE;
    return CopyBitmap(&file);
}

BOOL CBitmapDialog::CopyBitmap(CBitmap* source)
{
    BITMAP info = {};
    if (!source || !source->m_hObject || !source->GetBitmap(&info)) {
        FreeBitmap();
        return FALSE;
    }
    // The copy is made compatible with the screen, so it keeps its colours.
    CBitmap* copy = new CBitmap;
    CClientDC screen(nullptr);
    CDC sourceDC, copyDC;
    if (!copy->CreateCompatibleBitmap(&screen, info.bmWidth, info.bmHeight) ||
        !sourceDC.CreateCompatibleDC(&screen) || !copyDC.CreateCompatibleDC(&screen)) {
        delete copy;
        FreeBitmap();
        return FALSE;
    }
    CBitmap* oldSource = sourceDC.SelectObject(source);
    CBitmap* oldCopy = copyDC.SelectObject(copy);
    copyDC.BitBlt(0, 0, info.bmWidth, info.bmHeight, &sourceDC, 0, 0, SRCCOPY);
    sourceDC.SelectObject(oldSource);
    copyDC.SelectObject(oldCopy);

    // Freed only now: the source may be the current bitmap.
    FreeBitmap();
    m_bitmap = copy;
    m_ownsBitmap = TRUE;
    m_hasBitmap = TRUE;
    MakeWindowRgn();
    return TRUE;
}

void CBitmapDialog::AttachBitmap(CBitmap* bitmap)
{
    if (bitmap != m_bitmap)
        FreeBitmap();
    m_bitmap = bitmap;
    m_hasBitmap = bitmap != nullptr;
    MakeWindowRgn();
}

void CBitmapDialog::SetShaped(BOOL shaped)
{
    m_shaped = shaped;
    MakeWindowRgn();
}

void CBitmapDialog::SetTransparentColor(COLORREF color)
{
    m_transparentColor = color;
    MakeWindowRgn();
}

void CBitmapDialog::MakeWindowRgn()
{
    if (!m_hWnd)
        return;
    CRect window;
    GetWindowRect(&window);
    CRgn region;
    if (!m_shaped) {
        region.CreateRectRgn(0, 0, window.Width(), window.Height());
        if (SetWindowRgn(region, TRUE))
            region.Detach();
        return;
    }
    if (!m_hasBitmap || !m_bitmap || !m_bitmap->m_hObject) {
        SetWindowRgn(nullptr, TRUE);
        return;
    }

    region.CreateRectRgn(0, 0, 0, 0);
    CDC memory;
    if (!memory.CreateCompatibleDC(nullptr))
        return;
    CBitmap* old = memory.SelectObject(m_bitmap);
    BITMAP info = {};
    m_bitmap->GetBitmap(&info);
    CRect client;
    GetClientRect(&client);
    const int width = std::min<int>(info.bmWidth, client.Width());
    const int height = std::min<int>(info.bmHeight, client.Height());

    // The client area's offset in the window (zero for a window without frame).
    CPoint origin(0, 0);
    ClientToScreen(&origin);
    origin -= window.TopLeft();

    auto addRun = [&](int left, int right, int y) {
        CRgn run;
        run.CreateRectRgn(origin.x + left, origin.y + y, origin.x + right, origin.y + y + 1);
        region.CombineRgn(&region, &run, RGN_OR);
    };
    for (int y = 0; y < height; ++y) {
        int start = 0;
        for (int x = 0; x < width; ++x) {
            if (memory.GetPixel(x, y) == m_transparentColor) {
                if (start < x)
                    addRun(start, x, y);
                start = x + 1;
            }
        }
        if (start < width)
            addRun(start, width, y);
    }
    memory.SelectObject(old);
    if (SetWindowRgn(region, TRUE))
        region.Detach();
}

BOOL CBitmapDialog::OnEraseBkgnd(CDC* pDC)
{
    if (!m_hasBitmap || !m_bitmap || !m_bitmap->m_hObject)
        return CDialog::OnEraseBkgnd(pDC);
    CDC memory;
    if (!memory.CreateCompatibleDC(pDC))
        return CDialog::OnEraseBkgnd(pDC);
    CBitmap* old = memory.SelectObject(m_bitmap);
    CRect client;
    GetClientRect(&client);
    pDC->BitBlt(0, 0, client.Width(), client.Height(), &memory, 0, 0, SRCCOPY);
    memory.SelectObject(old);
    return TRUE;
}

void CBitmapDialog::OnLButtonDown(UINT nFlags, CPoint point)
{
    CDialog::OnLButtonDown(nFlags, point);
    // A press handled after its release (a quick tap) starts no drag: the move
    // would wait for the next click and swallow it.
    const int button = ::GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
    if (m_dragAnywhere && (::GetAsyncKeyState(button) & 0x8000)) {
        // The system moves the window as if its caption were dragged.
        CPoint screen = point;
        ClientToScreen(&screen);
        PostMessage(WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(screen.x, screen.y));
    }
}

HBRUSH CBitmapDialog::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    HBRUSH brush = CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    if (m_transparentStatics && nCtlColor == CTLCOLOR_STATIC && pWnd) {
        char className[256] = "";
        GetClassNameA(pWnd->m_hWnd, className, sizeof className);
        if (strcmp(className, "msctls_trackbar32") != 0) {
            pDC->SetBkMode(TRANSPARENT);
            return m_nullBrush;
        }
    }
    return brush;
}
