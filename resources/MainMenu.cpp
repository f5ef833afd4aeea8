// The main frame's menu bar and its keyboard accelerators.
#include "resources/ResourceIds.h"
#include "resources/Resources.h"

namespace {

// The first item of a popup stands for the popup when its enabling is asked: the zoom
// popup is Scale To Fit's, the column-width popup Auto Size's.
const MenuTemplate Menus[] = {
    {.id = IDR_MAINFRAME,
     .popups = {
         {.text = "&File",
          .items = {{ID_FILE_NEW, "&New\tCtrl+N"},
                    {ID_FILE_OPEN, "&Open...\tCtrl+O"},
                    {ID_FILE_SAVE, "&Save\tCtrl+S"},
                    {ID_FILE_SAVE_AS, "Save &As..."},
                    {},
                    {ID_FILE_CONVERT_HECRAS, "&Convert HEC-RAS Geometry File..."},
                    {ID_FILE_LOAD_MAP_IMAGERY, "&Load Georeferenced Map Imagery..."},
                    {ID_FILE_TYPE_OPTIONS, "&File Type Options..."},
                    {},
                    {ID_FILE_PRINT, "&Print...\tCtrl+P"},
                    {ID_FILE_PRINT_PREVIEW, "Print Pre&view"},
                    {ID_FILE_PRINT_SETUP, "P&rint Setup..."},
                    {},
                    {ID_FILE_MRU_FILE1, "Recent File"},
                    {},
                    {ID_APP_EXIT, "E&xit"}}},
         {.text = "&Edit",
          .items = {{ID_EDIT_UNDO, "&Undo\tCtrl+Z"},
                    {},
                    {ID_EDIT_COPY, "&Copy\tCtrl+C"},
                    {ID_EDIT_PASTE, "&Paste\tCtrl+V"}}},
         {.text = "&View",
          .items = {{.text = "&Toolbars and Docking Windows", .items = {{ID_VIEW_TOOLBAR, "<placeholder>"}}},
                    {ID_VIEW_STATUS_BAR, "&Status Bar"}}},
         {.text = "&Display",
          .items = {{ID_PROFILE_VIEW_OPTIONS, "&Profile View Options..."},
                    {ID_PLAN_VIEW_OPTIONS, "P&lan View Options..."},
                    {.text = "Plan View &Zoom / Scale",
                     .items = {{ID_ZOOM_SCALE_TO_FIT, "&Scale To Fit"},
                               {ID_ZOOM_RECTANGLE, "Zoom In On &Rectangle"},
                               {ID_ZOOM_POINT, "Zoom In On &Point"},
                               {ID_ZOOM_OUT, "Zoom &Out"}}},
                    {ID_HYDROGRAPH_VIEW_OPTIONS, "Hydrograph View Options..."},
                    {},
                    {ID_DISPLAY_QW_AS_QFLUX, "&Display Qw as Qflux"}}},
         {.text = "&Node Table",
          .items = {{ID_TABLE_ACCEPT_CHANGES, "&Accept Changes"},
                    {ID_TABLE_REJECT_CHANGES, "&Reject Changes"},
                    {},
                    {.text = "&Column Width",
                     .items = {{ID_TABLE_AUTO_SIZE, "Auto &Size"}, {ID_TABLE_EXPAND_TO_FIT, "&Expand To Fit"}}},
                    {ID_TABLE_SHOW_OUTPUT_NODES, "Show Output Nodes Only"},
                    {ID_TABLE_SET_VALUES, "&Set Values..."}}},
         {.text = "&Simulation",
          .items = {{ID_SIMULATION_TRANSIENT, "&Transient..."},
                    {ID_SIMULATION_STEADY, "&Steady..."},
                    {},
                    {ID_EDIT_BOUNDARY_CONDITIONS, "&Edit Boundary Conditions..."},
                    {ID_SIMULATION_EDIT_MANNINGS_N, "Edit &Manning's n Values..."},
                    {ID_EDIT_ATMOSPHERIC_ZONE, "Edit &Atmospheric Zone..."},
                    {ID_SIMULATION_EDIT_BRIDGING_EVENTS, "Edit &User Defined Bridging Events..."},
                    {},
                    {ID_SIMULATION_OUTPUT_OPTIONS, "&Output Options..."},
                    {ID_SIMULATION_GLOBAL_SETTINGS, "&Global Settings..."}}},
         {.text = "&Water Quality",
          .items = {{ID_WQ_OPEN_DATA, "Open WQ  Data..."},
                    {ID_WQ_SAVE_DATA, "Save WQ Data..."},
                    {},
                    {ID_WQ_TRANSIENT_SIMULATION, "Transient WQ Simulation..."},
                    {ID_EDIT_WQ_BOUNDARY_CONDITIONS, "Edit WQ Boundary Conditions..."},
                    {},
                    {ID_WQ_LOAD_DATABASE_SOLUTION, "Load Database Solution..."},
                    {ID_WQ_USE_DATABASE_SOLUTION, "Use Database Solution"},
                    {},
                    {ID_WQ_GLOBAL_SETTINGS, "Global WQ Settings..."}}},
         {.text = "&Help", .items = {{ID_APP_ABOUT, "&About Vasquil..."}}},
     }},
};

const AcceleratorTable Accelerators[] = {
    {.id = IDR_MAINFRAME,
     .entries = {{ID_FILE_NEW, "Ctrl+N"},
                 {ID_FILE_OPEN, "Ctrl+O"},
                 {ID_FILE_SAVE, "Ctrl+S"},
                 {ID_FILE_PRINT, "Ctrl+P"},
                 {ID_EDIT_UNDO, "Ctrl+Z"},
                 {ID_EDIT_UNDO, "Alt+Backspace"},
                 {ID_EDIT_CUT, "Ctrl+X"},
                 {ID_EDIT_CUT, "Shift+Del"},
                 {ID_EDIT_COPY, "Ctrl+C"},
                 {ID_EDIT_COPY, "Ctrl+Ins"},
                 {ID_EDIT_PASTE, "Ctrl+V"},
                 {ID_EDIT_PASTE, "Shift+Ins"}}},
};

}  // namespace

ResourceSet MainMenuResources()
{
    return {.menus = Menus, .accelerators = Accelerators};
}
