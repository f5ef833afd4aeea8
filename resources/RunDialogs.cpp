// The templates of the run dialogs. Both lay their fields out in two columns of a label and
// an edit; the fields the run fills in (solution change, iterations) are read-only.
#include "resources/RunDialogs.h"

#include "platform/Resources.h"
#include "resources/ResourceIds.h"

namespace {

constexpr int Static = -1;
constexpr DWORD Field = WS_VISIBLE | WS_TABSTOP;
constexpr DWORD Shown = WS_VISIBLE | ES_READONLY;

// Two columns of rows: label then edit.
constexpr int RowStep = 15;
constexpr int LabelWidth = 108;
constexpr int EditWidth = 76;
constexpr int LeftLabelX = 7;
constexpr int LeftEditX = 117;
constexpr int RightLabelX = 206;
constexpr int RightEditX = 316;
constexpr int DialogWidth = 399;

int RowY(int top, int row) { return top + row * RowStep; }

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

// The rows of the time fields at the top of both dialogs.
constexpr int TimesTop = 9;
// The rows of the solution below them: under the check boxes of the two solutions in the
// transient dialog, right under the times in the steady one.
constexpr int SolutionTop = 62;
constexpr int SteadySolutionTop = 44;

const DialogTemplate Dialogs[] = {
    {.id = IDD_RUN_TRANSIENT,
     .caption = "Run Transient",
     .size = {0, 0, DialogWidth, 168},
     .controls = {
         Label(Static, LeftLabelX, RowY(TimesTop, 0), "Present Time (hrs)"),
         Edit(IDC_TRANS_PRESENT_TIME, LeftEditX, RowY(TimesTop, 0)),
         Label(Static, RightLabelX, RowY(TimesTop, 0), "Final Time (hrs)"),
         Edit(IDC_TRANS_FINAL_TIME, RightEditX, RowY(TimesTop, 0)),
         Label(Static, LeftLabelX, RowY(TimesTop, 1), "Time Step Increment, \u0394t (hrs)"),
         Edit(IDC_TRANS_TIME_STEP, LeftEditX, RowY(TimesTop, 1)),
         Label(Static, RightLabelX, RowY(TimesTop, 1), "Max Time Step Increment (hrs)"),
         Edit(IDC_TRANS_MAX_TIME_STEP, RightEditX, RowY(TimesTop, 1)),

         {.id = IDC_TRANS_HYDRODYNAMICS, .kind = ControlKind::CheckBox, .text = "Hydrodynamic Solution",
          .rect = {LeftLabelX, SolutionTop - 15, 150, 10}, .style = Field},
         Label(IDC_TRANS_HYDRO_THETA_LABEL, LeftLabelX, RowY(SolutionTop, 0), "Implicitness, \u03F4"),
         Edit(IDC_TRANS_HYDRO_THETA, LeftEditX, RowY(SolutionTop, 0)),
         Label(IDC_TRANS_HYDRO_CHANGE_LABEL, LeftLabelX, RowY(SolutionTop, 1), "Solution Change"),
         Edit(IDC_TRANS_HYDRO_CHANGE, LeftEditX, RowY(SolutionTop, 1), Shown),
         Label(IDC_TRANS_HYDRO_TOLERANCE_LABEL, LeftLabelX, RowY(SolutionTop, 2), "Solution Tolerance"),
         Edit(IDC_TRANS_HYDRO_TOLERANCE, LeftEditX, RowY(SolutionTop, 2)),
         Label(IDC_TRANS_HYDRO_ITERATIONS_LABEL, LeftLabelX, RowY(SolutionTop, 3), "# of iterations per \u0394t"),
         Edit(IDC_TRANS_HYDRO_ITERATIONS, LeftEditX, RowY(SolutionTop, 3), Shown),
         Label(IDC_TRANS_HYDRO_MAX_ITERATIONS_LABEL, LeftLabelX, RowY(SolutionTop, 4), "Max # of iterations per \u0394t"),
         Edit(IDC_TRANS_HYDRO_MAX_ITERATIONS, LeftEditX, RowY(SolutionTop, 4)),

         {.id = IDC_TRANS_ADDITIONAL, .kind = ControlKind::CheckBox, .rect = {RightLabelX, SolutionTop - 15, 11, 10},
          .style = Field},
         {.id = IDC_TRANS_ADDITIONAL_CAPTION, .kind = ControlKind::Static, .text = "Additional Process Solution",
          .rect = {RightLabelX + 13, SolutionTop - 14, 158, 9}},
         Label(IDC_TRANS_ADD_THETA_LABEL, RightLabelX, RowY(SolutionTop, 0), "Implicitness,  \u03F4"),
         Edit(IDC_TRANS_ADD_THETA, RightEditX, RowY(SolutionTop, 0)),
         Label(IDC_TRANS_ADD_CHANGE_LABEL, RightLabelX, RowY(SolutionTop, 1), "Solution Change"),
         Edit(IDC_TRANS_ADD_CHANGE, RightEditX, RowY(SolutionTop, 1), Shown),
         Label(IDC_TRANS_ADD_TOLERANCE_LABEL, RightLabelX, RowY(SolutionTop, 2), "Solution Tolerance"),
         Edit(IDC_TRANS_ADD_TOLERANCE, RightEditX, RowY(SolutionTop, 2)),
         Label(IDC_TRANS_ADD_ITERATIONS_LABEL, RightLabelX, RowY(SolutionTop, 3), "# of iterations per \u0394t"),
         Edit(IDC_TRANS_ADD_ITERATIONS, RightEditX, RowY(SolutionTop, 3), Shown),
         Label(IDC_TRANS_ADD_MAX_ITERATIONS_LABEL, RightLabelX, RowY(SolutionTop, 4), "Max # of iterations per \u0394t"),
         Edit(IDC_TRANS_ADD_MAX_ITERATIONS, RightEditX, RowY(SolutionTop, 4)),

         Button(IDC_RUN_BUTTON, DialogWidth / 2 - 62, 144, "Run"),
         Button(IDCANCEL, DialogWidth / 2 + 6, 144, "Close"),
     }},
    {.id = IDD_RUN_STEADY,
     .caption = "Run Steady",
     .size = {0, 0, DialogWidth, 116},
     .controls = {
         Label(Static, LeftLabelX, RowY(TimesTop, 0), "Present time step #"),
         Edit(IDC_STEADY_PRESENT_STEP, LeftEditX, RowY(TimesTop, 0)),
         Label(Static, RightLabelX, RowY(TimesTop, 0), "Final time step #"),
         Edit(IDC_STEADY_FINAL_STEP, RightEditX, RowY(TimesTop, 0)),
         Label(Static, LeftLabelX, RowY(TimesTop, 1), "Time step increment, \u0394t (hrs)"),
         Edit(IDC_STEADY_TIME_STEP, LeftEditX, RowY(TimesTop, 1)),
         Label(Static, RightLabelX, RowY(TimesTop, 1), "Max Time Step Increment (hrs)"),
         Edit(IDC_STEADY_MAX_TIME_STEP, RightEditX, RowY(TimesTop, 1)),

         Label(Static, LeftLabelX, RowY(SteadySolutionTop, 0), "Solution Change"),
         Edit(IDC_STEADY_CHANGE, LeftEditX, RowY(SteadySolutionTop, 0), Shown),
         Label(Static, RightLabelX, RowY(SteadySolutionTop, 0), "Solution Tolerance"),
         Edit(IDC_STEADY_TOLERANCE, RightEditX, RowY(SteadySolutionTop, 0)),
         Label(Static, LeftLabelX, RowY(SteadySolutionTop, 1), "# of iterations per \u0394t"),
         Edit(IDC_STEADY_ITERATIONS, LeftEditX, RowY(SteadySolutionTop, 1), Shown),
         Label(Static, RightLabelX, RowY(SteadySolutionTop, 1), "Max # of iterations per \u0394t"),
         Edit(IDC_STEADY_MAX_ITERATIONS, RightEditX, RowY(SteadySolutionTop, 1)),
         {.id = IDC_STEADY_ICE_JAM, .kind = ControlKind::CheckBox, .text = "Solve Ice Jam Stability Equation",
          .rect = {LeftLabelX, RowY(SteadySolutionTop, 2) + 4, 200, 10}, .style = Field},

         Button(IDC_RUN_BUTTON, DialogWidth / 2 - 62, 94, "Run"),
         Button(IDCANCEL, DialogWidth / 2 + 6, 94, "Close"),
     }},
};

}  // namespace

void RegisterRunDialogs()
{
    static const bool registered = [] {
        RegisterResources({.dialogs = Dialogs, .menus = {}, .toolbars = {}, .accelerators = {}, .strings = {}, .images = {}});
        return true;
    }();
    (void)registered;
}
