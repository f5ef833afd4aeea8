// Run-time class records: a class's name, its base and a factory, so that code can create an
// object of a class it only holds a record of, and can ask an object's class by name without
// including the class's header (a frame asks whether its active view is a "CPlanView").
#pragma once

#include <string_view>

class CObject;

struct CRuntimeClass
{
    // Registers the record under its name; the last record of a name wins.
    CRuntimeClass(const char* name, const CRuntimeClass* base, CObject* (*factory)());

    const char* m_lpszClassName;
    const CRuntimeClass* m_pBaseClass;  // null for CObject
    CObject* (*m_pfnCreateObject)();    // null for a class that cannot be created this way

    // A new object of the class, owned by the caller; null when the class has no factory.
    CObject* CreateObject() const;
    // True when this is base or derives from it; false for a null base.
    bool IsDerivedFrom(const CRuntimeClass* base) const;
    // The record registered under name, or null when no linked class has that name.
    static const CRuntimeClass* FromName(std::string_view name);
};

// The factory a record names for a class created by its record.
template <class T>
CObject* CreateRuntimeObject()
{
    return new T;
}

// Root of every class with a run-time class record. A derived class declares
//     static const CRuntimeClass Runtime;
//     const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }
// and defines Runtime with its name, &Base::Runtime and CreateRuntimeObject<T> (or null).
class CObject
{
public:
    virtual ~CObject() = default;
    static const CRuntimeClass Runtime;
    virtual const CRuntimeClass* GetRuntimeClass() const { return &Runtime; }
    // True when the object's class is cls or derives from it; false for a null cls.
    bool IsKindOf(const CRuntimeClass* cls) const { return GetRuntimeClass()->IsDerivedFrom(cls); }
};
