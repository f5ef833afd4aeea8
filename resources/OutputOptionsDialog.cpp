// The template of the Output Options dialog: the time series and the snapshot side by side
// with their variables, then the peak values, the ice front, the model files and the
// database, each a check box over its path, Browse button and interval list.
#include "resources/OutputOptionsDialog.h"

#include "platform/Resources.h"
#include "resources/ResourceIds.h"

#include <vector>

namespace {

constexpr int Static = -1;
constexpr DWORD Field = WS_VISIBLE | WS_TABSTOP;

// The two columns of the dialog.
constexpr int LeftX = 7;
constexpr int RightX = 274;
constexpr int ColumnWidth = 260;
constexpr int Indent = 10;  // of the controls under an output's check box
constexpr int BrowseWidth = 46;
constexpr int ListWidth = 76;
constexpr int ListLabelWidth = 130;

// The interval lists: every step, then the intervals of the results writer's choices 1 to 8
// (the model files also 9).
const std::vector<const char*> Intervals = {"time step", "1 minute", "5 minutes", "15 minutes", "30 minutes",
                                            "1 hour", "6 hours", "12 hours", "24 hours"};
const std::vector<const char*> StateIntervals = {"time step", "1 minute", "5 minutes", "15 minutes", "30 minutes",
                                                 "1 hour", "6 hours", "12 hours", "24 hours", "7 days"};

const char* const SeriesNames[] = {"Water Surface Elevation", "Water Discharge", "Ice Velocity",
                                   "Water Temperature", "Suspended Frazil Concentration", "Surface Ice Concentration",
                                   "Anchor Ice Thickness", "Frazil Slush Thickness", "Solid Ice Thickness",
                                   "Border Ice Fraction", "Border Ice Width", "Air Temperature",
                                   "Max Border Ice Thickness", "Water Depth", "Water Velocity",
                                   "Water Surface Width", "Toxins / Xenobiotics", "Water Quality"};

// One output's block at (x, y): its check box, the path with its label and Browse button and,
// with listId, the interval list with its label. Returns the y below the block.
int Output(std::vector<ControlTemplate>& c, int x, int y, int checkId, const char* title, int pathLabelId,
           const char* pathLabel, int pathId, int browseId, int listLabelId = 0, const char* listLabel = nullptr,
           int listId = 0, const std::vector<const char*>& items = Intervals)
{
    const int inner = x + Indent;
    const int pathWidth = ColumnWidth - Indent - BrowseWidth - 4;
    c.push_back({.id = checkId, .kind = ControlKind::CheckBox, .text = title, .rect = {x, y, ColumnWidth, 10}, .style = Field});
    c.push_back({.id = pathLabelId, .kind = ControlKind::Static, .text = pathLabel, .rect = {inner, y + 13, 100, 9}});
    c.push_back({.id = pathId, .kind = ControlKind::Edit, .rect = {inner, y + 23, pathWidth, 12}, .style = WS_VISIBLE | ES_READONLY});
    c.push_back({.id = browseId, .kind = ControlKind::PushButton, .text = "Browse...",
                 .rect = {inner + pathWidth + 4, y + 22, BrowseWidth, 14}, .style = Field});
    y += 39;
    if (listId == 0) return y;
    c.push_back({.id = listLabelId, .kind = ControlKind::Static, .text = listLabel, .rect = {inner, y + 2, ListLabelWidth, 9}});
    c.push_back({.id = listId, .kind = ControlKind::ComboList, .rect = {inner + ListLabelWidth + 2, y, ListWidth, 130},
                 .style = Field, .items = items});
    return y + 16;
}

// A frame of variable check boxes in two columns of `rows` (the first column, of the longer
// names, a little wider).
void Variables(std::vector<ControlTemplate>& c, int x, int y, int frameId, const int* ids, int count, int rows)
{
    const int inner = x + Indent;
    const int width = ColumnWidth - Indent;
    c.push_back({.id = frameId, .kind = ControlKind::GroupBox, .text = " Select output variables ",
                 .rect = {inner, y, width, 16 + rows * 11}});
    const int first = 132;
    const int widths[] = {first, width - 12 - first - 2};
    for (int k = 0; k < count; ++k) {
        const int column = k / rows;
        const int row = k % rows;
        c.push_back({.id = ids[k], .kind = ControlKind::CheckBox, .text = SeriesNames[k],
                     .rect = {inner + 6 + column * (first + 2), y + 12 + row * 11, widths[column], 10}, .style = Field});
    }
}

constexpr int VariablesTop = 78;
constexpr int SeriesRows = 9;
constexpr int LowerTop = VariablesTop + 16 + SeriesRows * 11 + 8;
constexpr int ReportTop = LowerTop + 2 * 57 + 2;  // the report of "Initialize Output", three lines
constexpr int ReportHeight = 27;
constexpr int DialogHeight = ReportTop + ReportHeight + 24;

std::vector<ControlTemplate> Controls()
{
    std::vector<ControlTemplate> c;
    Output(c, LeftX, 7, IDC_OUT_SERIES, "Time Series", IDC_OUT_SERIES_PATH_LABEL, "Output file name:",
           IDC_OUT_SERIES_PATH, IDC_OUT_SERIES_BROWSE, IDC_OUT_SERIES_LIST_LABEL, "Output to hydrograph(s) every",
           IDC_OUT_SERIES_LIST);
    Variables(c, LeftX, VariablesTop, IDC_OUT_SERIES_FRAME, IDC_OUT_SERIES_VARIABLES, int(std::size(IDC_OUT_SERIES_VARIABLES)),
              SeriesRows);
    Output(c, RightX, 7, IDC_OUT_SNAPSHOT, "Domain Snapshot ", IDC_OUT_SNAPSHOT_PATH_LABEL, "Output file name:",
           IDC_OUT_SNAPSHOT_PATH, IDC_OUT_SNAPSHOT_BROWSE, IDC_OUT_SNAPSHOT_LIST_LABEL, "Output snapshot every",
           IDC_OUT_SNAPSHOT_LIST);
    Variables(c, RightX, VariablesTop, IDC_OUT_SNAPSHOT_FRAME, IDC_OUT_SNAPSHOT_VARIABLES,
              int(std::size(IDC_OUT_SNAPSHOT_VARIABLES)), SeriesRows);

    Output(c, LeftX, LowerTop, IDC_OUT_PEAK, "Peak Values of Stage and Discharge", IDC_OUT_PEAK_PATH_LABEL,
           "Output file name:", IDC_OUT_PEAK_PATH, IDC_OUT_PEAK_BROWSE);
    Output(c, RightX, LowerTop, IDC_OUT_ICE_FRONT, "Ice Front Location", IDC_OUT_ICE_FRONT_PATH_LABEL, "Output file name:",
           IDC_OUT_ICE_FRONT_PATH, IDC_OUT_ICE_FRONT_BROWSE, IDC_OUT_ICE_FRONT_LIST_LABEL, "Output ice front location every",
           IDC_OUT_ICE_FRONT_LIST);
    Output(c, LeftX, LowerTop + 57, IDC_OUT_STATE_FILES, "Vasquil Files", IDC_OUT_STATE_FOLDER_LABEL, "Output folder:",
           IDC_OUT_STATE_FOLDER, IDC_OUT_STATE_BROWSE, IDC_OUT_STATE_LIST_LABEL, "Output Vasquil file every",
           IDC_OUT_STATE_LIST, StateIntervals);
    Output(c, RightX, LowerTop + 57, IDC_OUT_DATABASE, "SQLite Database", IDC_OUT_DATABASE_PATH_LABEL,
           "Output file name:", IDC_OUT_DATABASE_PATH, IDC_OUT_DATABASE_BROWSE, IDC_OUT_DATABASE_LIST_LABEL,
           "Output database every", IDC_OUT_DATABASE_LIST);

    c.push_back({.id = IDC_OUT_REPORT, .kind = ControlKind::Static, .rect = {LeftX, ReportTop, RightX + ColumnWidth - LeftX, ReportHeight}});
    const int middle = (RightX + ColumnWidth + LeftX) / 2;
    c.push_back({.id = IDOK, .kind = ControlKind::PushButton, .text = "Initialize Output",
                 .rect = {middle - 74, DialogHeight - 21, 70, 14}, .style = Field | BS_DEFPUSHBUTTON});
    c.push_back({.id = IDCANCEL, .kind = ControlKind::PushButton, .text = "Close",
                 .rect = {middle + 4, DialogHeight - 21, 70, 14}, .style = Field});
    return c;
}

}  // namespace

void RegisterOutputOptionsDialog()
{
    static const DialogTemplate dialogs[] = {
        {.id = IDD_OUTPUT_OPTIONS,
         .caption = "Transient Output Options",
         .size = {0, 0, RightX + ColumnWidth + LeftX, DialogHeight},
         .controls = Controls()},
    };
    static const bool registered = [] {
        RegisterResources({.dialogs = dialogs, .menus = {}, .toolbars = {}, .accelerators = {}, .strings = {}, .images = {}});
        return true;
    }();
    (void)registered;
}
