// The main view's context menu.
#include "resources/MainViewMenu.h"

#include "platform/Resources.h"
#include "resources/ResourceIds.h"

namespace {

const MenuTemplate Menus[] = {
    {.id = IDR_POPUP_EDIT,
     .popups = {{.text = "Edit", .items = {{ID_EDIT_COPY, "&Copy\tCtrl+C"}, {ID_EDIT_PASTE, "&Paste\tCtrl+V"}}}}},
};

}  // namespace

void RegisterMainViewMenu()
{
    static const bool registered = [] {
        RegisterResources({.dialogs = {}, .menus = Menus, .toolbars = {}, .accelerators = {}, .strings = {}, .images = {}});
        return true;
    }();
    (void)registered;
}
