#pragma once
// The round-trip fixture of the backup tests: a key tree holding every kind of
// value, hostile names and a deep chain, and a snapshot of a tree's keys and
// values read by the plain API to compare before and after.
#include "TestSupport.h"
#include <map>
#include <string>
#include <vector>

namespace backuptest {

// Every key below a key, with every value's type and bytes, read by the plain API.
using Values = std::map<std::string, std::pair<DWORD, std::string>>;
using Tree = std::map<std::string, Values>;

inline void ReadTree(HKEY root, const std::string& path, const std::string& rel, Tree& tree)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    Values& values = tree[rel];
    DWORD subkeys = 0, valueCount = 0, maxName = 0, maxData = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &valueCount, &maxName, &maxData,
                     nullptr, nullptr);
    std::vector<char> name(maxName + 1);
    std::vector<char> data(maxData + 1);
    for (DWORD i = 0; i < valueCount; i++) {
        DWORD nameLength = static_cast<DWORD>(name.size()), dataLength = static_cast<DWORD>(data.size()), type;
        if (RegEnumValueA(key, i, name.data(), &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                          &dataLength) == ERROR_SUCCESS)
            values[std::string(name.data(), nameLength)] = {type, std::string(data.data(), dataLength)};
    }
    for (DWORD i = 0;; i++) {
        char sub[512];
        DWORD length = sizeof sub;
        if (RegEnumKeyExA(key, i, sub, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        ReadTree(root, path + "\\" + sub, rel + "\\" + sub, tree);
    }
    RegCloseKey(key);
}

inline Tree Snapshot(const testsupport::TestKey& key)
{
    Tree tree;
    ReadTree(HKEY_CURRENT_USER, key.SubKey(), "", tree);
    return tree;
}

// Plants a key tree holding every kind of value the backup must carry.
inline void PlantEveryType(const testsupport::TestKey& key)
{
    const std::string tree = "tree";
    key.SetString(tree, "path", "C:\\Dir\\\"quoted\"\\x \xe9\xfc\x80\xff");
    key.Set(tree, "expand", REG_EXPAND_SZ, "%SystemRoot%\\x", 15);
    key.Set(tree, "multi", REG_MULTI_SZ, "one\0two\0\0", 9);
    std::string binary(5000, '\0');
    for (size_t i = 0; i < binary.size(); i++)
        binary[i] = static_cast<char>(i * 7);
    key.Set(tree, "bin0", REG_BINARY, "", 0);
    key.Set(tree, "bin1", REG_BINARY, "\x80", 1);
    key.Set(tree, "bin44", REG_BINARY, binary.data(), 44);
    key.Set(tree, "bin5000", REG_BINARY, binary.data(), 5000);
    key.Set(tree, "bin22", REG_BINARY, binary.data(), 22);
    key.SetDword(tree, "dword", 0xdeadbeef);
    const ULONGLONG qword = 0x0102030405060708ULL;
    key.Set(tree, "qword", REG_QWORD, &qword, sizeof qword);
    key.Set(tree, "none", REG_NONE, "\x01\x02\x03", 3);
    key.Set(tree, "none0", REG_NONE, "", 0);
    key.Set(tree, "resreq", REG_RESOURCE_REQUIREMENTS_LIST, "\x05\x06", 2);
    // Wine's RegSetValueExA adds the missing terminator; Windows keeps it out.
    key.Set(tree, "noterm", REG_SZ, "abc", 3);
    key.Set(tree, "lines", REG_SZ, "one\r\ntwo\tthree", 15);
    key.Set(tree, "innerzero", REG_SZ, "ab\0cd", 6);
    key.SetString(tree, "", "default value");
    key.SetString(tree, "na\"me\\with \"quotes\"", "v");
    key.SetString(tree, std::string(300, 'n').c_str(), "long name");
    key.SetString(tree + "\\" + std::string(200, 'k'), "in", "long key");
    key.CreateKey(tree + "\\empty");
    std::string chain = tree;
    for (int level = 1; level <= 20; level++) {
        chain += "\\L" + std::to_string(level);
        key.SetDword(chain, "depth", static_cast<DWORD>(level));
    }
}

}  // namespace backuptest
