// The template of the Output Options dialog.
#pragma once

// Registers the template (IDD_OUTPUT_OPTIONS); later calls do nothing.
void RegisterOutputOptionsDialog();
