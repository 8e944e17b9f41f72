#include "LogText.h"
#include <string>

void EscapeXml(CString& text)
{
    const std::string& in = text.str();
    std::string out;
    out.reserve(in.size());
    for (char c : in) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '\'': out += "&apos;"; break;
        case '"': out += "&quot;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r')
                out += '?';
            else
                out += c;
        }
    }
    text = CString(out.data(), static_cast<int>(out.size()));
}

CString ConvertAnsiToUtf8(const CString& text)
{
    int wideLength = MultiByteToWideChar(CP_ACP, 0, text, text.GetLength(), nullptr, 0);
    if (wideLength > 0) {
        std::wstring wide(wideLength, L'\0');
        if (MultiByteToWideChar(CP_ACP, 0, text, text.GetLength(), &wide[0], wideLength) == wideLength) {
            int utf8Length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
            if (utf8Length > 0) {
                CString utf8;
                LPSTR buffer = utf8.GetBufferSetLength(utf8Length);
                if (WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, buffer, utf8Length, nullptr,
                                        nullptr) == utf8Length) {
                    utf8.ReleaseBuffer(utf8Length);
                    return utf8;
                }
            }
        }
    }
    CString plain = text;
    for (int i = 0; i < plain.GetLength(); i++) {
        if (static_cast<unsigned char>(plain[i]) > 0x7F)
            plain.SetAt(i, '?');
    }
    return plain;
}
