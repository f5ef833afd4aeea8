// The main frame's strings: the program's title and document type, the toolbar titles, the
// status-bar indicators, and the prompts of the commands ("status-bar prompt\ntooltip").
#include "resources/ResourceIds.h"
#include "resources/Resources.h"

namespace {

const StringResource Strings[] = {
    {AFX_IDS_APP_TITLE, "Vasquil"},
    {IDR_MAINFRAME, "Vasquil\n\nVasquil\nVasquil Files (*.vqx)\n.vqx\nVasquil.Document\nVasquil.Document"},
    {IDS_TOOLBAR_STANDARD, "Standard"},
    {IDS_TOOLBAR_CUSTOMIZE, "Customize..."},
    {IDS_EDIT_MENU, "Edit"},

    {ID_INDICATOR_CAPS, "CAP"},
    {ID_INDICATOR_NUM, "NUM"},
    {ID_INDICATOR_SCRL, "SCRL"},

    // The framework's commands.
    {ID_FILE_NEW, "Create a new document\nNew"},
    {ID_FILE_OPEN, "Open an existing document\nOpen"},
    {ID_FILE_SAVE, "Save the active document\nSave"},
    {ID_FILE_SAVE_AS, "Save the active document with a new name\nSave As"},
    {ID_FILE_PRINT_SETUP, "Change the printer and printing options\nPrint Setup"},
    {ID_FILE_PRINT, "Print the active document\nPrint"},
    {ID_FILE_PRINT_PREVIEW, "Display full pages\nPrint Preview"},
    {ID_FILE_MRU_FILE1, "Open this document"},
    {ID_APP_ABOUT, "Display program information, version number and copyright\nAbout"},
    {ID_APP_EXIT, "Quit the application; prompts to save documents\nExit"},
    {ID_EDIT_UNDO, "Undo the last action\nUndo"},
    {ID_EDIT_CUT, "Cut the selection and put it on the Clipboard\nCut"},
    {ID_EDIT_COPY, "Copy the selection and put it on the Clipboard\nCopy"},
    {ID_EDIT_PASTE, "Insert Clipboard contents\nPaste"},
    {ID_VIEW_TOOLBAR, "Show or hide the toolbar\nToggle ToolBar"},
    {ID_VIEW_STATUS_BAR, "Show or hide the status bar\nToggle Status Bar"},

    // The program's own commands on the toolbars.
    {ID_ZOOM_SCALE_TO_FIT, "Scale To Fit In Window\n Scale To Fit"},
    {ID_ZOOM_RECTANGLE, "Zoom In On Selected Rectangle\nZoom Rect"},
    {ID_ZOOM_POINT, "Zoom In On Selected Point\nZoom Point"},
    {ID_ZOOM_OUT, "Zoom Out\nZoom Out"},
    {ID_TABLE_ACCEPT_CHANGES, "Accept Changes To Node Table\nAccept Changes"},
    {ID_TABLE_REJECT_CHANGES, "Reject Changes To Node Table\nReject Changes"},
    {ID_TABLE_AUTO_SIZE, "Auto Size Table Columns\nAuto Size"},
    {ID_TABLE_EXPAND_TO_FIT, "Expand Table Columns To Fit Current Window\nExpand To Fit"},
    {ID_EDIT_BOUNDARY_CONDITIONS, "Edit Boundary Condition\nEdit BC"},
    {ID_EDIT_ATMOSPHERIC_ZONE, "Edit Atmospheric Zone\nEdit Zone"},
    {ID_EDIT_WQ_BOUNDARY_CONDITIONS, "Edit Water Quality Boundary Condition\nEdit WQ BC"},
};

}  // namespace

ResourceSet StringResources()
{
    return {.strings = Strings};
}
