// The Load Georeferenced Map Imagery dialog's template (IDD_LOAD_MAP_IMAGERY): a map image and
// its world file, each chosen with a Browse button.
#pragma once

// Registers the template; later calls do nothing.
void RegisterLoadMapImageryDialog();
