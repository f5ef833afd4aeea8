// The templates of the run dialogs. They lay their fields out in columns of a label and an
// edit; the fields the run fills in (solution change, iterations) are read-only. The two
// transient dialogs show one column per solution (hydrodynamics, the additional process, and
// in the water-quality dialog the water quality), each headed by its check box.
#include "resources/RunDialogs.h"

#include "platform/Resources.h"
#include "resources/ResourceIds.h"

#include <vector>

namespace {

constexpr int Static = -1;
constexpr DWORD Field = WS_VISIBLE | WS_TABSTOP;
constexpr DWORD Shown = WS_VISIBLE | ES_READONLY;

// Columns of rows: label then edit.
constexpr int RowStep = 15;
constexpr int LabelWidth = 108;
constexpr int EditWidth = 76;
constexpr int ColumnStep = 199;
constexpr int FirstLabelX = 7;
constexpr int EditOffset = 110;  // from a column's label to its edit
constexpr int CheckWidth = 11;
constexpr int CaptionWidth = 158;

int RowY(int top, int row) { return top + row * RowStep; }
int LabelX(int column) { return FirstLabelX + column * ColumnStep; }
int EditX(int column) { return LabelX(column) + EditOffset; }
// A dialog of that many columns.
int DialogWidth(int columns) { return columns * ColumnStep + 1; }

ControlTemplate Label(int id, int x, int y, const char* text)
{
    return {.id = id, .kind = ControlKind::Static, .text = text, .rect = {x, y + 2, LabelWidth, 9}};
}

ControlTemplate Edit(int id, int x, int y, DWORD style = Field)
{
    return {.id = id, .kind = ControlKind::Edit, .rect = {x, y, EditWidth, 12}, .style = style};
}

ControlTemplate Button(int id, int x, int y, const char* text)
{
    return {.id = id, .kind = ControlKind::PushButton, .text = text, .rect = {x, y, 56, 14}, .style = Field};
}

// One labelled field: in a column at a row.
struct Row {
    int labelId;
    const char* label;
    int editId;
    DWORD style = Field;
};

void AddRows(std::vector<ControlTemplate>& controls, int column, int top, std::initializer_list<Row> rows)
{
    int row = 0;
    for (const Row& r : rows) {
        controls.push_back(Label(r.labelId, LabelX(column), RowY(top, row), r.label));
        controls.push_back(Edit(r.editId, EditX(column), RowY(top, row), r.style));
        ++row;
    }
}

// The four time fields at the top of every run dialog, two a row: present, final, time step,
// maximum time step.
constexpr int TimesTop = 9;
struct TimeFields {
    const char* presentLabel;
    int present;
    const char* finalLabel;
    int final;
    const char* stepLabel;
    int step;
    int maxStep;
};

void AddTimes(std::vector<ControlTemplate>& controls, const TimeFields& t)
{
    AddRows(controls, 0, TimesTop, {{Static, t.presentLabel, t.present}, {Static, t.stepLabel, t.step}});
    AddRows(controls, 1, TimesTop, {{Static, t.finalLabel, t.final}, {Static, "Max Time Step Increment (hrs)", t.maxStep}});
}

// Run and Close, centred below the fields, and below them the two lines that name the series
// a run went past the end of (empty until it does).
constexpr int SeriesEndsOffset = 20;  // from the buttons' top
constexpr int SeriesEndsHeight = 18;
constexpr int BelowButtons = SeriesEndsOffset + SeriesEndsHeight + 4;
void AddButtons(std::vector<ControlTemplate>& controls, int width, int y)
{
    controls.push_back(Button(IDC_RUN_BUTTON, width / 2 - 62, y, "Run"));
    controls.push_back(Button(IDCANCEL, width / 2 + 6, y, "Close"));
    controls.push_back({.id = IDC_RUN_SERIES_ENDS, .kind = ControlKind::Static,
                        .rect = {FirstLabelX, y + SeriesEndsOffset, width - 2 * FirstLabelX, SeriesEndsHeight}});
}

// A solution's column: its check box with the caption beside it, then theta, solution change,
// tolerance, iterations and maximum iterations.
constexpr int SolutionTop = 62;
struct SolutionIds {
    int check, caption;
    const char* captionText;
    int thetaLabel, theta;
    const char* thetaText;
    int changeLabel, change, toleranceLabel, tolerance, iterationsLabel, iterations, maxLabel, max;
};

void AddSolution(std::vector<ControlTemplate>& controls, int column, const SolutionIds& s)
{
    const int y = SolutionTop - 15;
    controls.push_back({.id = s.check, .kind = ControlKind::CheckBox, .rect = {LabelX(column), y, CheckWidth, 10},
                        .style = Field});
    controls.push_back({.id = s.caption, .kind = ControlKind::Static, .text = s.captionText,
                        .rect = {LabelX(column) + CheckWidth + 2, y + 1, CaptionWidth, 9}});
    AddRows(controls, column, SolutionTop,
            {{s.thetaLabel, s.thetaText, s.theta},
             {s.changeLabel, "Solution Change", s.change, Shown},
             {s.toleranceLabel, "Solution Tolerance", s.tolerance},
             {s.iterationsLabel, "# of iterations per \u0394t", s.iterations, Shown},
             {s.maxLabel, "Max # of iterations per \u0394t", s.max}});
}

constexpr TimeFields TransientTimes = {"Present Time (hrs)", IDC_TRANS_PRESENT_TIME,   "Final Time (hrs)",
                                       IDC_TRANS_FINAL_TIME, "Time Step Increment, \u0394t (hrs)",
                                       IDC_TRANS_TIME_STEP,  IDC_TRANS_MAX_TIME_STEP};
// The hydrodynamic solution's caption: the transient dialog's has no id of its own.
SolutionIds HydroSolution(int caption)
{
    return {IDC_TRANS_HYDRODYNAMICS,         caption,
            "Hydrodynamic Solution",         IDC_TRANS_HYDRO_THETA_LABEL,
            IDC_TRANS_HYDRO_THETA,           "Implicitness, \u03F4",
            IDC_TRANS_HYDRO_CHANGE_LABEL,    IDC_TRANS_HYDRO_CHANGE,
            IDC_TRANS_HYDRO_TOLERANCE_LABEL, IDC_TRANS_HYDRO_TOLERANCE,
            IDC_TRANS_HYDRO_ITERATIONS_LABEL, IDC_TRANS_HYDRO_ITERATIONS,
            IDC_TRANS_HYDRO_MAX_ITERATIONS_LABEL, IDC_TRANS_HYDRO_MAX_ITERATIONS};
}
constexpr SolutionIds AdditionalSolution = {
    IDC_TRANS_ADDITIONAL,           IDC_TRANS_ADDITIONAL_CAPTION,   "Additional Process Solution",
    IDC_TRANS_ADD_THETA_LABEL,      IDC_TRANS_ADD_THETA,            "Implicitness,  \u03F4",
    IDC_TRANS_ADD_CHANGE_LABEL,     IDC_TRANS_ADD_CHANGE,           IDC_TRANS_ADD_TOLERANCE_LABEL,
    IDC_TRANS_ADD_TOLERANCE,        IDC_TRANS_ADD_ITERATIONS_LABEL, IDC_TRANS_ADD_ITERATIONS,
    IDC_TRANS_ADD_MAX_ITERATIONS_LABEL, IDC_TRANS_ADD_MAX_ITERATIONS};
constexpr SolutionIds WaterQualitySolution = {
    IDC_WQRUN_WATER_QUALITY,        Static,                         "Water Quality Solution",
    IDC_WQRUN_THETA_LABEL,          IDC_WQRUN_THETA,                "Implicitness, \u03F4",
    IDC_WQRUN_CHANGE_LABEL,         IDC_WQRUN_CHANGE,               IDC_WQRUN_TOLERANCE_LABEL,
    IDC_WQRUN_TOLERANCE,            IDC_WQRUN_ITERATIONS_LABEL,     IDC_WQRUN_ITERATIONS,
    IDC_WQRUN_MAX_ITERATIONS_LABEL, IDC_WQRUN_MAX_ITERATIONS};

// Below the solution columns.
constexpr int TransientButtonsY = 144;
constexpr int TransientHeight = TransientButtonsY + BelowButtons;

std::vector<ControlTemplate> TransientControls(bool waterQuality)
{
    const int columns = waterQuality ? 3 : 2;
    std::vector<ControlTemplate> controls;
    AddTimes(controls, TransientTimes);
    AddSolution(controls, 0, HydroSolution(waterQuality ? IDC_WQRUN_HYDRO_CAPTION : Static));
    AddSolution(controls, 1, AdditionalSolution);
    if (waterQuality) AddSolution(controls, 2, WaterQualitySolution);
    AddButtons(controls, DialogWidth(columns), TransientButtonsY);
    return controls;
}

constexpr int SteadySolutionTop = 44;
constexpr int SteadyButtonsY = 94;
constexpr int SteadyHeight = SteadyButtonsY + BelowButtons;

std::vector<ControlTemplate> SteadyControls()
{
    std::vector<ControlTemplate> controls;
    AddTimes(controls, {"Present time step #", IDC_STEADY_PRESENT_STEP, "Final time step #", IDC_STEADY_FINAL_STEP,
                        "Time step increment, \u0394t (hrs)", IDC_STEADY_TIME_STEP, IDC_STEADY_MAX_TIME_STEP});
    AddRows(controls, 0, SteadySolutionTop,
            {{Static, "Solution Change", IDC_STEADY_CHANGE, Shown}, {Static, "# of iterations per \u0394t", IDC_STEADY_ITERATIONS, Shown}});
    AddRows(controls, 1, SteadySolutionTop,
            {{Static, "Solution Tolerance", IDC_STEADY_TOLERANCE}, {Static, "Max # of iterations per \u0394t", IDC_STEADY_MAX_ITERATIONS}});
    controls.push_back({.id = IDC_STEADY_ICE_JAM, .kind = ControlKind::CheckBox, .text = "Solve Ice Jam Stability Equation",
                        .rect = {FirstLabelX, RowY(SteadySolutionTop, 2) + 4, 200, 10}, .style = Field});
    AddButtons(controls, DialogWidth(2), SteadyButtonsY);
    return controls;
}

}  // namespace

void RegisterRunDialogs()
{
    static const bool registered = [] {
        static const DialogTemplate dialogs[] = {
            {.id = IDD_RUN_TRANSIENT,
             .caption = "Run Transient",
             .size = {0, 0, DialogWidth(2), TransientHeight},
             .controls = TransientControls(false)},
            {.id = IDD_RUN_STEADY, .caption = "Run Steady", .size = {0, 0, DialogWidth(2), SteadyHeight}, .controls = SteadyControls()},
            {.id = IDD_RUN_TRANSIENT_WQ,
             .caption = "Run Transient Water Quality",
             .size = {0, 0, DialogWidth(3), TransientHeight},
             .controls = TransientControls(true)},
        };
        RegisterResources({.dialogs = dialogs, .menus = {}, .toolbars = {}, .accelerators = {}, .strings = {}, .images = {}});
        return true;
    }();
    (void)registered;
}
