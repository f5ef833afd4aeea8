// The program's resource tables: each part of the program keeps its tables in its own file,
// and the program registers them all at start-up.
#pragma once

#include "platform/Resources.h"

// Registers every table below with the platform layer; later calls do nothing. Call it once
// the Qt application exists: the pictures are drawn then.
void RegisterProgramResources();

// The tables of each part (each file's own set).
ResourceSet MainMenuResources();  // menu and accelerators of the main frame (MainMenu.cpp)
ResourceSet ToolbarResources();   // the four toolbars and their button images (Toolbars.cpp)
ResourceSet StringResources();    // the frame's strings and the commands' prompts (Strings.cpp)
ResourceSet AboutBoxResources();  // the About box, its pictures and the program's icon (AboutBox.cpp)
ResourceSet CursorResources();    // the plan view's zoom and edit cursors (Cursors.cpp)
