// Resources as C++ data: dialog templates, menus, toolbars, accelerators, strings and images,
// each under a numeric id. The program registers its tables once at start-up; tests register
// their own. Template, menu and toolbar texts are UTF-8 (they may hold characters outside
// Windows-1252, such as "Δt"); string resources are the program's Windows-1252 strings.
#pragma once

#include "platform/WinTypes.h"

#include <span>
#include <string>
#include <vector>

// Where a control or a dialog lies, in dialog units: a horizontal unit is a quarter of the
// dialog font's average character width, a vertical unit an eighth of its height.
struct DialogUnits
{
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
};

// Control kinds of dialog templates; each has one row in the layer's table of control kinds.
enum class ControlKind
{
    Static,       // text (SS_LEFT, SS_CENTER, SS_RIGHT; '&' prefixes unless SS_NOPREFIX)
    Picture,      // an image resource, at its own size
    GroupBox,     // a frame with a title, behind the controls inside it
    PushButton,   // BS_DEFPUSHBUTTON makes it the default button
    CheckBox,     // checks itself when clicked
    RadioButton,  // WS_GROUP on the first button of each group
    Edit,         // one line; ES_READONLY, ES_RIGHT, ES_CENTER
    ComboList,    // drop-down list; cy is the height of the open list
    DateTimePicker,  // a date and time in one field, shown in the format set (SetFormat)
    Custom,       // a custom-drawn window of the registered window class className (a grid),
                  // with a non-client area; it gets WM_SETFONT with the dialog's font
};

struct ControlTemplate
{
    int id = 0;
    ControlKind kind = ControlKind::Static;
    const char* text = "";
    DialogUnits rect;
    DWORD style = WS_VISIBLE;  // WS_ styles and the kind's own styles
    std::vector<const char*> items = {};  // a combo box's list
    UINT image = 0;                       // a picture's image resource
    const char* className = nullptr;      // a custom control's window class
};

struct DialogTemplate
{
    UINT id = 0;
    const char* caption = "";
    DialogUnits size;  // x and y unused: a dialog is centred on its owner
    DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE;  // WS_VISIBLE shows a modeless dialog
    const char* fontFace = "MS Shell Dlg";
    int fontPoints = 8;
    std::vector<ControlTemplate> controls = {};
};

// A menu item: a command (id and text, "\t" before the accelerator's text), a separator
// (id 0 and no text) or a popup (items).
struct MenuItemTemplate
{
    UINT id = 0;
    const char* text = nullptr;
    std::vector<MenuItemTemplate> items = {};
};

struct MenuTemplate
{
    UINT id = 0;
    std::vector<MenuItemTemplate> popups = {};  // the menu bar's entries
};

struct ToolbarTemplate
{
    UINT id = 0;
    std::vector<UINT> buttons = {};  // command ids; ID_SEPARATOR for a gap
    UINT image = 0;                  // a strip of button images, one per command in order
    CSize buttonSize{16, 15};
};

struct AcceleratorEntry
{
    UINT command = 0;
    const char* keys = "";  // as "Ctrl+N", "Ctrl+Shift+S", "F1"
};

struct AcceleratorTable
{
    UINT id = 0;
    std::vector<AcceleratorEntry> entries = {};
};

struct StringResource
{
    UINT id = 0;
    const char* text = "";
};

// An image in a file format Qt reads (PNG, BMP, ICO).
struct ImageResource
{
    UINT id = 0;
    const unsigned char* data = nullptr;
    std::size_t size = 0;
};

// A mouse cursor: a picture in a file format Qt reads, whose hot spot (the pixel that points)
// lies at hotSpot from its top left corner.
struct CursorResource
{
    UINT id = 0;
    const unsigned char* data = nullptr;
    std::size_t size = 0;
    CPoint hotSpot;
};

// A set of tables; a part of the program may fill only the kinds it has.
struct ResourceSet
{
    std::span<const DialogTemplate> dialogs = {};
    std::span<const MenuTemplate> menus = {};
    std::span<const ToolbarTemplate> toolbars = {};
    std::span<const AcceleratorTable> accelerators = {};
    std::span<const StringResource> strings = {};
    std::span<const ImageResource> images = {};
    std::span<const CursorResource> cursors = {};
};

// Strings of the layer itself, present without registration (a registered string of the
// same id wins).
constexpr UINT AFX_IDS_APP_TITLE = 0xE000;    // the application's title (none built in)
constexpr UINT AFX_IDS_IDLEMESSAGE = 0xE001;  // "Ready": the status bar without a prompt
constexpr UINT AFX_IDS_UNTITLED = 0xE002;     // "Untitled": a document without a file
constexpr UINT AFX_IDS_ALLFILTER = 0xE003;    // "All Files (*.*)"
constexpr UINT AFX_IDS_REPLACEFILE = 0xE004;  // "%s already exists.\nDo you want to replace it?"
constexpr UINT AFX_IDP_ASK_TO_SAVE = 0xF002;  // "Save changes to %s?": a modified document
constexpr UINT AFX_IDP_PARSE_INT = 0xF110;    // "Enter an integer."
constexpr UINT AFX_IDP_PARSE_REAL = 0xF113;   // "Enter a number."
constexpr UINT AFX_IDS_MEMORY_EXCEPTION = 0xF006;  // "Out of memory.": the report of a memory failure
constexpr UINT AFX_IDP_FAILED_TO_START_PRINT = 0xF0A1;  // "The printer could not be opened; nothing was printed."

// Adds a set of tables; its data must live as long as the program. A later set wins for an
// id both hold.
void RegisterResources(const ResourceSet& set);

// Lookups by id; null when no registered table holds the id.
const DialogTemplate* FindDialogTemplate(UINT id);
const MenuTemplate* FindMenuTemplate(UINT id);
const ToolbarTemplate* FindToolbarTemplate(UINT id);
const AcceleratorTable* FindAcceleratorTable(UINT id);
const ImageResource* FindImageResource(UINT id);
const CursorResource* FindCursorResource(UINT id);
// The string of id; empty when there is none (the layer's own strings, such as the status
// bar's "Ready", are there without registration).
std::string LoadString(UINT id);
