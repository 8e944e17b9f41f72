#pragma once
#include <windows.h>
#include "CObject.h"

class CTempMap;

// Owner of one GDI object: the object is deleted with its owner unless it was
// detached. Wrappers from FromHandle are temporary and never delete.
class CGdiObject : public CObject {
public:
    CGdiObject() = default;
    ~CGdiObject() override;
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    static CGdiObject* FromHandle(HGDIOBJ hObject);
    operator HGDIOBJ() const { return m_hObject; }
    HGDIOBJ GetSafeHandle() const { return m_hObject; }

    // Takes ownership of a handle; FALSE when this object already holds one.
    BOOL Attach(HGDIOBJ hObject);
    // Gives up ownership and returns the handle.
    HGDIOBJ Detach();
    BOOL DeleteObject();
    int GetObject(int nCount, LPVOID lpObject) const;

    HGDIOBJ m_hObject = nullptr;

protected:
    BOOL m_bTemporary = FALSE;

private:
    friend class CTempMap;
    void AttachTemporary(HGDIOBJ h) { m_hObject = h; m_bTemporary = TRUE; }
};
