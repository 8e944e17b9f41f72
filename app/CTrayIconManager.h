#pragma once
#include "afxwin.h"
#include <shellapi.h>

// One look of the tray icon: its id and the shell's record (icon and tooltip).
struct TrayIconState {
    UINT id;
    NOTIFYICONDATAA data;
};

// The program's one icon in the notification area. It switches between
// registered looks ("states"), adds the icon again when the shell failed or
// restarted, and turns the mouse on the icon into messages for its parent:
// WM_TRAY_NOTIFY with ID_TRAY_DBLCLK for a double-click or the command chosen
// from the context menu, and WM_TRAY_MENU just before that menu opens.
class CTrayIconManager : public CWnd {
public:
    CTrayIconManager();
    ~CTrayIconManager() override;

    // Creates the hidden top-level window and this invisible child of pParent.
    virtual BOOL Create(CWnd* pParent);
    // Registers a look; id 0 (or one already taken) gets a free id. Returns the id.
    UINT AddState(HICON icon, const CString& tip, UINT id);
    // Changes a look's tooltip; it reaches the shell at the next ShowState.
    void SetTip(UINT id, const CString& tip);
    // Puts the look into the notification area; 0 (and a retry later) on failure.
    BOOL ShowState(UINT id);
    // Adds the icon anew shortly (after the taskbar was created again).
    void Refresh();
    // Takes ownership of a menu whose first submenu is the context menu.
    void SetMenu(CMenu* pMenu);
    CMenu* GetMenu() const;
    // The parent for the tray's pop-ups.
    CWnd* GetSafeWnd();
    BOOL DestroyWindow() override;

    UINT GetStateCount() const { return m_stateCount; }

    // Every call to the shell goes through this pointer (Shell_NotifyIconA by
    // default); a test puts its own recorder there.
    using NotifyIconCall = BOOL(WINAPI*)(DWORD message, PNOTIFYICONDATAA data);
    static NotifyIconCall s_notifyIcon;
    // The size the icon's record gives the shell: the record up to the item's
    // GUID, without the balloon icon handle, which older shells do not know
    // (a shell refuses a record larger than any it knows).
    static const DWORD kNotifyIconDataSize = 504;
    // A look's tooltip as the shell gets it; empty for an unknown id.
    CString GetTip(UINT id) const;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    DECLARE_MESSAGE_MAP()

private:
    static const UINT kFirstStateId = 8001;
    static const UINT_PTR TIMER_TRAY_RETRY = 1927;
    static const UINT kRetryMs = 2000;

    int FindState(UINT id) const;
    void ArmRetry(UINT elapse);
    void ShowContextMenu();
    static void CopyTip(NOTIFYICONDATAA& data, const CString& tip);

    CWnd m_hiddenWnd;
    TrayIconState* m_states = nullptr;
    UINT m_stateCount = 0;
    int m_shownState = -1;
    CMenu* m_pMenu = nullptr;
};
