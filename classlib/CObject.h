#pragma once

// Root of the class library's object hierarchy: only a virtual destructor.
class CObject {
public:
    CObject() = default;
    virtual ~CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};
