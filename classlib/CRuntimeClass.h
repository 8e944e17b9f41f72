#pragma once

class CObject;

// What a class tells about itself at run time: its name and, for a class that
// can be made from its record alone, the function that makes a new,
// constructed object of it.
struct CRuntimeClass {
    const char* m_lpszClassName;
    CObject* (*m_pfnCreateObject)();   // null: the class cannot be made this way

    // A new object of the class (the caller owns it), or null when the class
    // cannot be made from its record.
    CObject* CreateObject() const;
};

// The record of a class that declares one (DECLARE_DYNAMIC or DECLARE_DYNCREATE).
#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

// In the class: its record and GetRuntimeClass, which gives the record of the
// object's own class. Members declared after it are public.
#define DECLARE_DYNAMIC(class_name)                              \
public:                                                          \
    static const CRuntimeClass class##class_name;                \
    const CRuntimeClass* GetRuntimeClass() const override;

// As DECLARE_DYNAMIC, and the class can be made from its record: CreateObject
// makes a new object with the default constructor.
#define DECLARE_DYNCREATE(class_name)                            \
    DECLARE_DYNAMIC(class_name)                                  \
    static CObject* CreateObject();

// In one source file of the class, to go with the declaration.
#define IMPLEMENT_DYNAMIC(class_name)                                               \
    const CRuntimeClass class_name::class##class_name = {#class_name, nullptr};     \
    const CRuntimeClass* class_name::GetRuntimeClass() const { return RUNTIME_CLASS(class_name); }

#define IMPLEMENT_DYNCREATE(class_name)                                                           \
    CObject* class_name::CreateObject() { return new class_name; }                                \
    const CRuntimeClass class_name::class##class_name = {#class_name, &class_name::CreateObject}; \
    const CRuntimeClass* class_name::GetRuntimeClass() const { return RUNTIME_CLASS(class_name); }
