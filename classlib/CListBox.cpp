#include "CListBox.h"

void CListBox::GetText(int nIndex, CString& rString) const
{
    rString.Empty();
    LRESULT length = ::SendMessageA(m_hWnd, LB_GETTEXTLEN, static_cast<WPARAM>(nIndex), 0);
    if (length == LB_ERR)
        return;
    char* buffer = rString.GetBuffer(static_cast<int>(length));
    LRESULT copied = ::SendMessageA(m_hWnd, LB_GETTEXT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(buffer));
    rString.ReleaseBuffer(copied == LB_ERR ? 0 : static_cast<int>(copied));
}
