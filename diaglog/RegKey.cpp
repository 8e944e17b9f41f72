#include "RegKey.h"
#include "CRegKeyHandle.h"
#include "LogText.h"
#include "RegValue.h"
#include "RegistryText.h"
#include <memory>
#include <vector>

namespace {

// Deeper trees than the registry itself allows are not followed (a loop of
// registry links would otherwise never end).
const int kMaxDepth = 512;

// Describes the open key; the recursion keeps only small locals per level.
RegKey* DescribeKey(const CRegKeyHandle& key, const CString& fullPath, BOOL recurse, const LogSettings& settings,
                    int depth)
{
    std::unique_ptr<RegKey> element(new RegKey(fullPath));

    DWORD subkeyCount = 0, valueCount = 0;
    if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeyCount, nullptr, nullptr, &valueCount, nullptr,
                         nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return element.release();

    CString name;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    for (DWORD index = 0; index < valueCount; index++) {
        LONG rc = key.EnumValue(index, name, type, data);
        if (rc == ERROR_NO_MORE_ITEMS)
            break;
        if (rc == ERROR_SUCCESS)
            element->AddValue(new RegValue(name, type, data.data(), static_cast<DWORD>(data.size()),
                                           settings.m_binary, settings.m_dword, settings.m_regsz));
    }

    if (!recurse || depth >= kMaxDepth)
        return element.release();
    std::vector<BYTE>().swap(data);   // no data buffer stays held while the subkeys are walked
    CString prefix = fullPath;
    if (prefix.IsEmpty() || prefix[prefix.GetLength() - 1] != '\\')
        prefix += '\\';
    for (DWORD index = 0; index < subkeyCount; index++) {
        LONG rc = key.EnumKey(index, name);
        if (rc == ERROR_NO_MORE_ITEMS)
            break;
        if (rc != ERROR_SUCCESS)
            continue;
        CRegKeyHandle subkey;
        if (subkey.Open(key, name, KEY_READ) == ERROR_SUCCESS)
            element->AddSubkey(DescribeKey(subkey, prefix + name, recurse, settings, depth + 1));
    }
    return element.release();
}

}  // namespace

RegKey::RegKey(const CString& fullPath) : name(fullPath)
{
    AnalyzeRegistryValueData(name, files, classIds);
    EscapeXml(name);
}

RegKey::~RegKey()
{
    DeleteList(subkeys);
    DeleteList(values);
}

void RegKey::WriteXml(CString& out) const
{
    out += "<RegKey name=\"";
    out += name;
    out += "\">\n";
    WriteChildren(out);
    WriteList(values, out);
    WriteList(subkeys, out);
    out += "</RegKey>\n";
}

RegKey* ReadRegKey(HKEY root, const CString& path, BOOL recurse, const LogSettings& settings)
{
    CRegKeyHandle key;
    if (key.Open(root, path, KEY_READ) != ERROR_SUCCESS)
        return nullptr;
    return DescribeKey(key, GetRootKeyName(root) + "\\" + path, recurse, settings, 0);
}
