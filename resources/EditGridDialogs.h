// The templates of the two editors of many items at once: Edit User Defined Bridging Events
// (template 331) and Edit Natural Channel Manning's n Values (template 330), each a grid with
// Apply and Close below it.
#pragma once

// Registers IDD_EDIT_BRIDGING_EVENTS and IDD_EDIT_MANNINGS; later calls do nothing.
void RegisterEditGridDialogs();
