// The run dialogs as the views see them: windows to show again when a view paints. A run
// dialog has a window exactly while it is shown (from its menu command until it is closed);
// Enter hides it without closing it, and the next paint of a chart view brings it back.
#pragma once

class CVasquilDoc;

// Shows again the windows of the document's transient and steady run dialogs, if they have
// windows; nothing for a dialog that does not exist or is closed.
void ShowRunDialogsAgain(const CVasquilDoc& doc);

// Shows the top-level window whose window object is object (the address of the whole
// object); nothing when no top-level window belongs to it.
void ShowWindowOfObject(const void* object);
