#include "CTrayIconManager.h"
#include <cstring>
#include "MainWindowMessages.h"

BEGIN_MESSAGE_MAP(CTrayIconManager, CWnd)
    ON_WM_TIMER()
END_MESSAGE_MAP()

static_assert(CTrayIconManager::kNotifyIconDataSize == NOTIFYICONDATAA_V3_SIZE,
              "the icon's record ends after the item's GUID");

CTrayIconManager::NotifyIconCall CTrayIconManager::s_notifyIcon = &::Shell_NotifyIconA;

CTrayIconManager::CTrayIconManager() = default;

CTrayIconManager::~CTrayIconManager()
{
    delete[] m_states;
    if (m_pMenu) {
        m_pMenu->DestroyMenu();
        delete m_pMenu;
    }
}

BOOL CTrayIconManager::Create(CWnd* pParent)
{
    m_hiddenWnd.CreateEx(0, "STATIC", "Keldrix_TrayDialog", 0, 0, 0, 0, 0, nullptr, nullptr);
    return CreateEx(0, "STATIC", "TIM", WS_CHILD, CRect(0, 0, 0, 0), pParent, 1234);
}

int CTrayIconManager::FindState(UINT id) const
{
    for (UINT i = 0; i < m_stateCount; ++i)
        if (m_states[i].id == id)
            return static_cast<int>(i);
    return -1;
}

void CTrayIconManager::CopyTip(NOTIFYICONDATAA& data, const CString& tip)
{
    // Longer tooltips are cut to what the shell's field holds.
    lstrcpynA(data.szTip, tip, sizeof data.szTip);
}

UINT CTrayIconManager::AddState(HICON icon, const CString& tip, UINT id)
{
    if (id == 0 || FindState(id) >= 0) {
        if (m_stateCount == 0) {
            id = kFirstStateId;
        } else {
            id = m_states[m_stateCount - 1].id + 1;
            while (FindState(id) >= 0)
                ++id;
        }
    }
    TrayIconState* states = new TrayIconState[m_stateCount + 1];
    if (m_stateCount)
        memcpy(states, m_states, m_stateCount * sizeof(TrayIconState));
    TrayIconState& added = states[m_stateCount];
    memset(&added, 0, sizeof added);
    added.id = id;
    added.data.cbSize = kNotifyIconDataSize;
    added.data.hWnd = m_hWnd;
    added.data.uID = 1;
    added.data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    added.data.uCallbackMessage = WM_TRAY_NOTIFY;
    added.data.hIcon = icon;
    CopyTip(added.data, tip);
    delete[] m_states;
    m_states = states;
    ++m_stateCount;
    return id;
}

void CTrayIconManager::SetTip(UINT id, const CString& tip)
{
    int index = FindState(id);
    if (index >= 0)
        CopyTip(m_states[index].data, tip);
}

CString CTrayIconManager::GetTip(UINT id) const
{
    int index = FindState(id);
    return index >= 0 ? CString(m_states[index].data.szTip) : CString();
}

void CTrayIconManager::ArmRetry(UINT elapse)
{
    if (!m_hWnd)
        return;
    KillTimer(TIMER_TRAY_RETRY);
    SetTimer(TIMER_TRAY_RETRY, elapse);
}

BOOL CTrayIconManager::ShowState(UINT id)
{
    int index = FindState(id);
    if (index < 0) {
        ArmRetry(kRetryMs);
        return FALSE;
    }
    DWORD action = m_shownState == -1 ? NIM_ADD : NIM_MODIFY;
    BOOL shown = s_notifyIcon(action, &m_states[index].data);
    m_shownState = index;
    if (!shown)
        ArmRetry(kRetryMs);
    return shown;
}

void CTrayIconManager::Refresh()
{
    ArmRetry(1);
}

void CTrayIconManager::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == TIMER_TRAY_RETRY) {
        if (m_shownState >= 0) {
            s_notifyIcon(NIM_DELETE, &m_states[m_shownState].data);
            UINT id = m_states[m_shownState].id;
            m_shownState = -1;
            if (ShowState(id))
                KillTimer(TIMER_TRAY_RETRY);
        } else {
            KillTimer(TIMER_TRAY_RETRY);
        }
    }
    Default();
}

void CTrayIconManager::SetMenu(CMenu* pMenu)
{
    if (!pMenu || !pMenu->GetSafeHmenu())
        return;
    if (m_pMenu) {
        m_pMenu->DestroyMenu();
        delete m_pMenu;
    }
    m_pMenu = pMenu;
}

CMenu* CTrayIconManager::GetMenu() const
{
    return m_pMenu && m_pMenu->GetSafeHmenu() ? m_pMenu : nullptr;
}

CWnd* CTrayIconManager::GetSafeWnd()
{
    if (m_hiddenWnd.m_hWnd)
        return &m_hiddenWnd;
    return m_hWnd ? this : nullptr;
}

BOOL CTrayIconManager::DestroyWindow()
{
    if (m_shownState >= 0)
        s_notifyIcon(NIM_DELETE, &m_states[m_shownState].data);
    delete[] m_states;
    m_states = nullptr;
    m_stateCount = 0;
    m_shownState = -1;
    if (m_hiddenWnd.m_hWnd)
        m_hiddenWnd.DestroyWindow();
    return CWnd::DestroyWindow();
}

void CTrayIconManager::ShowContextMenu()
{
    CWnd* parent = GetParent();
    if (parent)
        ::SendMessageA(parent->m_hWnd, WM_TRAY_MENU, 0, 0);
    CMenu* menu = GetMenu();
    if (!menu)
        return;
    HMENU popup = ::GetSubMenu(menu->GetSafeHmenu(), 0);
    if (!popup)
        return;
    POINT cursor = {};
    ::GetCursorPos(&cursor);
    if (m_hiddenWnd.m_hWnd)
        ::SetForegroundWindow(m_hiddenWnd.m_hWnd);
    UINT command = static_cast<UINT>(
        ::TrackPopupMenu(popup, TPM_RETURNCMD, cursor.x, cursor.y, 0, m_hWnd, nullptr));
    // Lets the menu close properly when the user clicks elsewhere.
    PostMessage(WM_NULL);
    parent = GetParent();
    if (command && parent && parent->m_hWnd)
        ::PostMessageA(parent->m_hWnd, WM_TRAY_NOTIFY, 0, command);
}

LRESULT CTrayIconManager::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TRAY_NOTIFY) {
        if (lParam == WM_LBUTTONDBLCLK) {
            CWnd* parent = GetParent();
            if (parent)
                ::PostMessageA(parent->m_hWnd, WM_TRAY_NOTIFY, 0, ID_TRAY_DBLCLK);
        } else if (lParam == WM_RBUTTONUP) {
            CMenu* menu = GetMenu();
            if (menu && !::GetSubMenu(menu->GetSafeHmenu(), 0)) {
                CWnd* parent = GetParent();
                if (parent)
                    ::SendMessageA(parent->m_hWnd, WM_TRAY_MENU, 0, 0);
                return 1;
            }
            ShowContextMenu();
        }
    }
    return CWnd::WindowProc(message, wParam, lParam);
}
