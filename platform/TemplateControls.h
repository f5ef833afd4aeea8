// The child windows of a dialog template, made for the windows that are built from templates
// (dialogs and form views; internal to the layer).
#pragma once

#include "platform/Resources.h"
#include "platform/WinTypes.h"

#include <memory>
#include <vector>

class CWnd;
class QDateTime;
class QFont;
class QLineEdit;
class QRect;
class QWidget;

// Pixels per four horizontal and eight vertical dialog units of a font.
CSize DialogBaseUnits(const QFont& font);
// A rectangle in dialog units as pixels, for the base units of a font.
QRect DialogUnitsToPixels(const DialogUnits& units, CSize base);

// Makes an edit read-only or writable. A read-only edit is drawn on the face colour of the
// window behind it, not on the colour of a field to type into, so that it does not look
// editable; a writable one gets the field colour back.
void SetEditReadOnly(QLineEdit* edit, bool readOnly);

// The value a date-time picker holds when it holds no time (its least value, drawn blank).
QDateTime PickerNoTime();

// Makes the controls of tmpl, in template order, as children of parent (the widget that
// carries the template's font): one object per control appended to controls, radio buttons
// grouped by WS_GROUP, group boxes behind the controls they frame, custom controls as
// windows of their registered class with a non-client area and the template's font
// (WM_SETFONT). Notifications of the stock controls go as WM_COMMAND to the window object
// above them. Returns false when a custom control's class is not registered; the controls
// made before it stay in controls.
bool BuildTemplateControls(const DialogTemplate& tmpl, QWidget* parent, CSize base,
                           std::vector<std::unique_ptr<CWnd>>& controls);
