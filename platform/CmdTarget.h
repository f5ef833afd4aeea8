// Command targets: objects that handle command ids (menus, toolbars, accelerators, buttons)
// and answer update requests for them. Handlers are member functions entered into the
// object's tables in its constructor; an entry made later (by a derived class) replaces an
// earlier one for the same id.
#pragma once

#include "platform/RuntimeClass.h"
#include "platform/WinTypes.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

class CMenu;
class CCmdTarget;

// Notification code of a command (menus, accelerators, toolbars, BN_CLICKED) and the code of
// an update request, as handed to CCmdTarget::OnCmdMsg.
constexpr int CN_COMMAND = 0;
constexpr int CN_UPDATE_COMMAND_UI = -1;

// One update request for one command: handlers call Enable, SetCheck and SetText; the owner
// of the menu item or toolbar button applies what they set.
class CCmdUI
{
public:
    UINT m_nID = 0;
    // Position of the item in m_pMenu (menus only); a handler that inserts items (the recent
    // file list) moves it to the last item it inserted.
    UINT m_nIndex = 0;
    CMenu* m_pMenu = nullptr;     // the menu holding the item; null for toolbar buttons
    CMenu* m_pSubMenu = nullptr;  // set when the item is a popup standing for its first item's command

    void Enable(BOOL on = TRUE);
    void SetCheck(int check = 1);  // 0 clear, 1 checked
    void SetText(const std::string& text);

    // Asks target (and the targets it routes to) for the update handler of m_nID. When no
    // handler called Enable and disableIfNoHandler is set, the item is enabled exactly when
    // some target has a command handler for m_nID. Returns the state to apply.
    void DoUpdate(CCmdTarget* target, BOOL disableIfNoHandler);

    // What the handlers set; unset fields leave the item as it is.
    std::optional<bool> m_enabled;
    std::optional<int> m_check;
    std::optional<std::string> m_text;
};

class CCmdTarget : public CObject
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    // Runs the handler of id for code (CN_COMMAND, a control notification code, or
    // CN_UPDATE_COMMAND_UI with pCmdUI set) in this target and the targets it routes to; the
    // first target with a handler wins. With probeOnly nothing runs. Returns TRUE when a
    // handler was found.
    virtual BOOL OnCmdMsg(UINT nID, int nCode, CCmdUI* pCmdUI, bool probeOnly);

protected:
    // Table entries. T is the class whose member is named; the object must be a T.
    template <class T>
    void MapCommand(UINT id, void (T::*handler)())
    {
        T* self = static_cast<T*>(this);
        commands_[Key(id, CN_COMMAND)] = [self, handler](UINT) { (self->*handler)(); };
    }
    // A control notification (CBN_SELCHANGE, ...) from control id.
    template <class T>
    void MapControl(int code, UINT id, void (T::*handler)())
    {
        T* self = static_cast<T*>(this);
        commands_[Key(id, code)] = [self, handler](UINT) { (self->*handler)(); };
    }
    // Commands first..last (inclusive); the handler receives the id.
    template <class T>
    void MapCommandRange(UINT first, UINT last, void (T::*handler)(UINT))
    {
        T* self = static_cast<T*>(this);
        ranges_.push_back({first, last, [self, handler](UINT id) { (self->*handler)(id); }});
    }
    template <class T>
    void MapUpdate(UINT id, void (T::*handler)(CCmdUI*))
    {
        T* self = static_cast<T*>(this);
        updates_[id] = [self, handler](CCmdUI* ui) { (self->*handler)(ui); };
    }

private:
    static std::uint64_t Key(UINT id, int code) { return (std::uint64_t(std::uint32_t(code)) << 32) | id; }
    struct RangeEntry
    {
        UINT first;
        UINT last;
        std::function<void(UINT)> handler;
    };
    std::unordered_map<std::uint64_t, std::function<void(UINT)>> commands_;
    std::vector<RangeEntry> ranges_;
    std::unordered_map<UINT, std::function<void(CCmdUI*)>> updates_;
};
