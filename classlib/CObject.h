#pragma once
#include "CRuntimeClass.h"

// Root of the class library's object hierarchy: the runtime-class record of
// the object's class and a virtual destructor, in that slot order.
class CObject {
public:
    CObject() = default;
    // The record of the object's class; the classes that declare their own
    // (DECLARE_DYNAMIC, DECLARE_DYNCREATE) override it.
    virtual const CRuntimeClass* GetRuntimeClass() const;
    virtual ~CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;

    static const CRuntimeClass classCObject;
};
