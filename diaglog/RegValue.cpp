#include "RegValue.h"
#include "LogText.h"
#include "RegistryText.h"

namespace {

// The bytes from the last to the first, two lower-case hex digits each.
CString ReversedHex(const BYTE* pData, DWORD size)
{
    static const char kDigits[] = "0123456789abcdef";
    CString hex;
    hex.Preallocate(static_cast<int>(size) * 2);
    for (DWORD i = size; i > 0; i--) {
        hex += kDigits[pData[i - 1] >> 4];
        hex += kDigits[pData[i - 1] & 0x0F];
    }
    return hex;
}

bool IsPlainAscii(const BYTE* pData, DWORD size)
{
    for (DWORD i = 0; i < size; i++) {
        if (pData[i] >= 0x80)
            return false;
    }
    return true;
}

bool IsTextType(DWORD type)
{
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

}  // namespace

RegValue::RegValue(const CString& valueName, DWORD type, const BYTE* pData, DWORD size, BOOL bBinary, BOOL bDword,
                   BOOL bRegsz)
    : name(valueName), binary(bBinary), dword(bDword), regsz(bRegsz)
{
    if (pData == nullptr)
        size = 0;
    data = "N/A";
    if (IsTextType(type)) {
        if (regsz && IsPlainAscii(pData, size))
            data = RegistryBytesToText(pData, size);
    } else if (type == REG_BINARY) {
        if (binary)
            data = ReversedHex(pData, size);
    } else if (type == REG_DWORD) {
        if (dword)
            data = "0x" + ReversedHex(pData, size);
    }

    if (IsTextType(type))
        AnalyzeRegistryValueData(data, files, classIds);
    EscapeXml(data);
    AnalyzeRegistryValueData(name, files, classIds);
    EscapeXml(name);
    typeName = GetTypeName(type);
}

RegValue::~RegValue() = default;

CString RegValue::GetTypeName(DWORD type)
{
    switch (type) {
    case REG_NONE: return "REG_NONE";
    case REG_SZ: return "REG_SZ";
    case REG_EXPAND_SZ: return "REG_EXPAND_SZ";
    case REG_BINARY: return "REG_BINARY";
    case REG_DWORD: return "REG_DWORD";
    case REG_MULTI_SZ: return "REG_MULTI_SZ";
    case REG_QWORD: return "REG_QWORD";
    default: {
        CString text;
        text.Format("Undefined reg type: %lu", static_cast<unsigned long>(type));
        return text;
    }
    }
}

void RegValue::WriteXml(CString& out) const
{
    out += "<RegValue name=\"";
    out += name;
    out += "\" type=\"";
    out += typeName;
    out += "\" data=\"";
    out += data;
    out += "\">\n";
    WriteChildren(out);
    out += "</RegValue>\n";
}
