// The main view's context menu (IDR_POPUP_EDIT): one popup "Edit" with Copy and Paste.
#pragma once

// Registers the menu; later calls do nothing.
void RegisterMainViewMenu();
