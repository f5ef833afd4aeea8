#include "platform/WindowClass.h"

#include <map>
#include <string>

namespace {

// Registered classes by name, with their styles (user-interface thread only).
std::map<std::string, UINT>& Classes()
{
    static std::map<std::string, UINT> classes;
    return classes;
}

}  // namespace

BOOL RegisterClass(const WNDCLASS* wndClass)
{
    if (!wndClass || !wndClass->lpszClassName || !*wndClass->lpszClassName) return FALSE;
    return Classes().emplace(wndClass->lpszClassName, wndClass->style).second ? TRUE : FALSE;
}

BOOL GetClassInfo(const char* className, WNDCLASS* wndClass)
{
    if (!className) return FALSE;
    const auto it = Classes().find(className);
    if (it == Classes().end()) return FALSE;
    if (wndClass) {
        wndClass->style = it->second;
        wndClass->lpszClassName = it->first.c_str();
    }
    return TRUE;
}
