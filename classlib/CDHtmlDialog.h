#pragma once
#include <map>
#include <memory>
#include <vector>
#include "CBrush.h"
#include "CDialog.h"
#include "CFont.h"
#include "CHtmlElement.h"
#include "CHtmlLayout.h"
#include "CHtmlStyleSheet.h"

class CDHtmlDialog;

// A handler of the page-event table: S_FALSE cancels what the event would do
// next (a key is not typed, a link is not followed).
typedef HRESULT (CDHtmlDialog::*DHEVTFUNCCONTROL)(CHtmlElement* pElement);

enum DHtmlEvent { DHTMLEVENT_ONCLICK = 1, DHTMLEVENT_ONKEYDOWN, DHTMLEVENT_ONKEYUP };

struct DHtmlEventMapEntry {
    int nEvent;
    LPCSTR szElementId;
    DHEVTFUNCCONTROL pfnEventFunc;
};

// A dialog that shows an HTML page read from a file, with native controls
// (there is no browser): the page's texts are drawn by the text renderer,
// inputs and buttons are EDIT and BUTTON controls, links and pictures are
// drawn and clickable. Navigate reads the page synchronously; a page that
// cannot be read is replaced by a built-in page with one line of text and a
// Close button, so the dialog can always be closed. Elements are reached by
// their id; events of elements (clicks, keys) reach the handlers of the page-
// event table of the derived class, of the element or the nearest ancestor
// with a handler. UI thread only.
class CDHtmlDialog : public CDialog {
public:
    typedef CHtmlLayout::TextRenderer TextRenderer;

    // What ShowContextMenu is asked about.
    enum { kMenuDefault = 0, kMenuImage = 1, kMenuControl = 2, kMenuAnchor = 5 };
    static constexpr DWORD kMaxPageBytes = 1024 * 1024;
    static constexpr DWORD kMaxPictureBytes = 4 * 1024 * 1024;
    static constexpr int kMaxControls = 256;
    // The id of the built-in page's Close button.
    static const char kFallbackCloseId[];

    CDHtmlDialog() = default;
    explicit CDHtmlDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    ~CDHtmlDialog() override;

    // The renderer of every HTML dialog's texts: it draws or measures markup of
    // the tags b, i, u and font color=#rrggbb like DrawTextA. Without one the
    // texts are drawn plain.
    static void SetTextRenderer(TextRenderer pfnRenderer);

    // Shows the page file (a path, or a file:// address), then exchanges the
    // members with the page (UpdateData(FALSE)) and calls OnDocumentComplete.
    // FALSE when the built-in page was shown instead. Before the window exists
    // the page is loaded when the dialog initialises.
    BOOL Navigate(LPCSTR lpszURL);
    const CString& GetCurrentUrl() const { return m_url; }
    BOOL IsFallbackPage() const { return m_bFallback; }
    virtual void OnDocumentComplete(LPCSTR szUrl);
    // Asked before a context menu would open; S_OK means "handled, show none".
    // The default returns S_FALSE (a control then shows its own menu).
    virtual HRESULT ShowContextMenu(DWORD dwID, POINT* ppt, IUnknown* pcmdtReserved, IDispatch* pdispReserved);

    // Elements by id. A page without the element gives NULL, "" or FALSE.
    CHtmlElement* GetElement(LPCSTR szId) const;
    HWND GetElementHwnd(LPCSTR szId) const;
    // Where the element is shown, in client coordinates.
    BOOL GetElementRect(LPCSTR szId, RECT* pRect) const;
    // The inner text; of an input, its value.
    CString GetElementText(LPCSTR szId) const;
    BOOL SetElementText(LPCSTR szId, LPCSTR szText);
    // Replaces the element, itself included, by the markup.
    BOOL SetElementOuterHtml(LPCSTR szId, LPCSTR szHtml);
    CString GetElementClassName(LPCSTR szId) const;
    BOOL SetElementClassName(LPCSTR szId, LPCSTR szClass);
    BOOL GetElementDisabled(LPCSTR szId) const;
    BOOL SetElementDisabled(LPCSTR szId, BOOL bDisabled);
    // The value of an input or button; the inner text of other elements.
    CString GetElementValue(LPCSTR szId) const;
    BOOL SetElementValue(LPCSTR szId, LPCSTR szValue);
    // FALSE when the element is not a check box.
    BOOL GetElementChecked(LPCSTR szId, BOOL& bChecked) const;
    BOOL SetElementChecked(LPCSTR szId, BOOL bChecked);

    BOOL OnInitDialog() override;

protected:
    // The page-event table (see BEGIN_DHTML_EVENT_MAP); none by default.
    virtual const DHtmlEventMapEntry* GetDHtmlEventMap() const { return nullptr; }
    // Runs the handler of the event for the element or its nearest ancestor
    // that has one; S_OK when there is none. pHandled tells whether one ran.
    HRESULT FireEvent(int nEvent, CHtmlElement* pSource, BOOL* pHandled = nullptr);
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
    afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnDestroy();
    LRESULT OnContextMenuMessage(WPARAM wParam, LPARAM lParam);
    LRESULT OnRetire(WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK ControlProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR uIdSubclass,
                                        DWORD_PTR dwRefData);
    void EnsureFonts();
    void Prepare(CHtmlElement* pSubtree);
    void CreateControl(CHtmlElement* e);
    void LoadPicture(CHtmlElement* e);
    void Relayout();
    void Retire(std::unique_ptr<CHtmlElement> subtree);
    void DestroyRetired();
    void KeepControlValues();
    bool IsCurrent(const CHtmlElement* e) const;
    bool IsClickable(const CHtmlElement* e) const;
    void FollowLink(const CHtmlElement* e);
    COLORREF BackgroundOf(const CHtmlElement* e) const;
    HBRUSH Brush(COLORREF color);
    CHtmlElement* ControlElement(HWND hWnd) const;

    CString m_url;
    CString m_folder;
    BOOL m_bFallback = FALSE;
    BOOL m_bPendingNavigate = FALSE;
    std::unique_ptr<CHtmlElement> m_root;
    CHtmlStyleSheet m_styles;
    CHtmlLayout m_layout;
    std::map<HWND, CHtmlElement*> m_controls;
    std::vector<std::unique_ptr<CHtmlElement>> m_retiredNodes;
    std::vector<HWND> m_retiredWindows;
    int m_dispatchDepth = 0;
    bool m_bSuppressChar = false;
    UINT m_nextControlId = 0;
    COLORREF m_pageBackground = RGB(255, 255, 255);
    CFont m_fonts[4];
    HFONT m_hFonts[4] = {};
    std::map<COLORREF, std::unique_ptr<CBrush>> m_brushes;

    DECLARE_MESSAGE_MAP()
};

// The page-event table of a dialog class, in its declaration.
#define DECLARE_DHTML_EVENT_MAP() \
protected: \
    const DHtmlEventMapEntry* GetDHtmlEventMap() const override;

#define BEGIN_DHTML_EVENT_MAP(theClass) \
    const DHtmlEventMapEntry* theClass::GetDHtmlEventMap() const \
    { \
        using ThisClass [[maybe_unused]] = theClass; \
        static const DHtmlEventMapEntry entries[] = {

#define DHTML_EVENT_ENTRY(event, id, memberFxn) \
    {event, id, static_cast<DHEVTFUNCCONTROL>(&ThisClass::memberFxn)},
// Handlers: HRESULT f(CHtmlElement* pElement).
#define DHTML_EVENT_ONCLICK(id, memberFxn) DHTML_EVENT_ENTRY(DHTMLEVENT_ONCLICK, id, memberFxn)
#define DHTML_EVENT_ONKEYDOWN(id, memberFxn) DHTML_EVENT_ENTRY(DHTMLEVENT_ONKEYDOWN, id, memberFxn)
#define DHTML_EVENT_ONKEYUP(id, memberFxn) DHTML_EVENT_ENTRY(DHTMLEVENT_ONKEYUP, id, memberFxn)

#define END_DHTML_EVENT_MAP() \
            {0, nullptr, nullptr} \
        }; \
        return entries; \
    }

// Data exchange with page elements: the value of an input (or the inner text
// of another element), and the state of a check box. A page without the
// element leaves the member as it is.
void DDX_DHtml_ElementValue(CDataExchange* pDX, LPCSTR szId, CString& value);
void DDX_DHtml_CheckBox(CDataExchange* pDX, LPCSTR szId, int& value);
