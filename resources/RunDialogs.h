// The templates of the two run dialogs: Run Steady and Run Transient.
#pragma once

// Registers the templates (IDD_RUN_STEADY, IDD_RUN_TRANSIENT); later calls do nothing.
void RegisterRunDialogs();
