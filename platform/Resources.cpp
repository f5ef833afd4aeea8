#include "platform/Resources.h"

#include <vector>

namespace {

constexpr StringResource LayerStrings[] = {
    {AFX_IDS_IDLEMESSAGE, "Ready"},
    {AFX_IDS_UNTITLED, "Untitled"},
    {AFX_IDS_ALLFILTER, "All Files (*.*)"},
    {AFX_IDS_REPLACEFILE, "%s already exists.\nDo you want to replace it?"},
    {AFX_IDP_ASK_TO_SAVE, "Save changes to %s?"},
    {AFX_IDP_PARSE_INT, "Enter an integer."},
    {AFX_IDP_PARSE_REAL, "Enter a number."},
    {AFX_IDS_MEMORY_EXCEPTION, "Out of memory."},
    {AFX_IDP_FAILED_TO_START_PRINT, "The printer could not be opened; nothing was printed."},
};

std::vector<ResourceSet>& Sets()
{
    static std::vector<ResourceSet> sets;
    return sets;
}

// The entry with id in the latest set that holds one.
template <class T>
const T* Find(std::span<const T> ResourceSet::*table, UINT id)
{
    const auto& sets = Sets();
    for (auto set = sets.rbegin(); set != sets.rend(); ++set) {
        for (const T& entry : (*set).*table) {
            if (entry.id == id) return &entry;
        }
    }
    return nullptr;
}

}  // namespace

void RegisterResources(const ResourceSet& set)
{
    Sets().push_back(set);
}

const DialogTemplate* FindDialogTemplate(UINT id) { return Find(&ResourceSet::dialogs, id); }
const MenuTemplate* FindMenuTemplate(UINT id) { return Find(&ResourceSet::menus, id); }
const ToolbarTemplate* FindToolbarTemplate(UINT id) { return Find(&ResourceSet::toolbars, id); }
const AcceleratorTable* FindAcceleratorTable(UINT id) { return Find(&ResourceSet::accelerators, id); }
const ImageResource* FindImageResource(UINT id) { return Find(&ResourceSet::images, id); }
const CursorResource* FindCursorResource(UINT id) { return Find(&ResourceSet::cursors, id); }

std::string LoadString(UINT id)
{
    if (const StringResource* s = Find(&ResourceSet::strings, id)) return s->text;
    for (const StringResource& s : LayerStrings) {
        if (s.id == id) return s.text;
    }
    return {};
}
