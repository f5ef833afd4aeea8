#include "platform/RuntimeClass.h"

#include <map>
#include <string>

namespace {

std::map<std::string, const CRuntimeClass*, std::less<>>& Registry()
{
    static std::map<std::string, const CRuntimeClass*, std::less<>> registry;
    return registry;
}

}  // namespace

const CRuntimeClass CObject::Runtime{"CObject", nullptr, nullptr};

CRuntimeClass::CRuntimeClass(const char* name, const CRuntimeClass* base, CObject* (*factory)())
    : m_lpszClassName(name), m_pBaseClass(base), m_pfnCreateObject(factory)
{
    Registry()[name] = this;
}

CObject* CRuntimeClass::CreateObject() const
{
    return m_pfnCreateObject ? m_pfnCreateObject() : nullptr;
}

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const
{
    if (!base) return false;
    for (const CRuntimeClass* c = this; c; c = c->m_pBaseClass) {
        if (c == base) return true;
    }
    return false;
}

const CRuntimeClass* CRuntimeClass::FromName(std::string_view name)
{
    const auto& registry = Registry();
    const auto it = registry.find(name);
    return it == registry.end() ? nullptr : it->second;
}
