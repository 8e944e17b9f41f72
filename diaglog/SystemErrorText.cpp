#include "SystemErrorText.h"

CString GetSystemErrorText(DWORD errorCode)
{
    LPSTR buffer = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, errorCode, 0, reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
    CString text;
    if (length > 0 && buffer != nullptr)
        text = CString(buffer, static_cast<int>(length));
    if (buffer != nullptr)
        LocalFree(buffer);
    text.Replace("\r\n", " ");
    text.Replace('\r', ' ');
    text.Replace('\n', ' ');
    text.TrimRight();
    return text;
}
