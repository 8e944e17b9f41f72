#pragma once
#include "LogElement.h"
#include "LogSettings.h"

// One registry key: its full path, its values and, when described
// recursively, its subkeys.
class RegKey : public LogElement {
public:
    // fullPath: the root's name, a backslash and the path below the root.
    explicit RegKey(const CString& fullPath);
    ~RegKey() override;

    void AddValue(LogElement* value) { values.AddTail(value); }
    void AddSubkey(RegKey* subkey) { subkeys.AddTail(subkey); }

    void WriteXml(CString& out) const override;

private:
    CString name;             // escaped
    LogElementList subkeys;   // RegKey elements, owned
    LogElementList values;    // RegValue elements, owned
};

// Describes root\path with its values (shown as the settings' binary, dword
// and regsz switches say) and, when recurse is TRUE, its subkeys to any
// depth. Null when the key cannot be opened for reading.
RegKey* ReadRegKey(HKEY root, const CString& path, BOOL recurse, const LogSettings& settings);
