// The templates of the three run dialogs: Run Steady, Run Transient and Run Transient Water
// Quality.
#pragma once

// Registers the templates (IDD_RUN_STEADY, IDD_RUN_TRANSIENT, IDD_RUN_TRANSIENT_WQ); later
// calls do nothing.
void RegisterRunDialogs();
