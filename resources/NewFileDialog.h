// The New File dialog's template: the shape of a new trapezoidal channel and the name of its file.
#pragma once

// Registers the template (IDD_NEW_FILE); later calls do nothing.
void RegisterNewFileDialog();
