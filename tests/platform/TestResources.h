// Resources of the GUI tests: a dialog laid out like a run dialog, a frame's menu, toolbar
// and accelerators, and the strings of their commands.
#pragma once

#include "platform/WinTypes.h"

namespace TestIds {

// The dialog and its controls.
constexpr UINT RunDialog = 9133;
constexpr UINT MissingDialog = 9999;
constexpr int PresentTime = 1003;
constexpr int FinalTime = 1004;
constexpr int TimeStep = 1005;
constexpr int Theta = 1009;
constexpr int MaxIterations = 1160;
constexpr int Hydrodynamics = 1134;
constexpr int ParameterChart = 1174;
constexpr int ElevationChart = 1175;
constexpr int Interval = 1014;
constexpr int OutputPath = 1015;
constexpr int Run = 1010;
constexpr int TimeStepLabel = 1201;
constexpr int ThetaLabel = 1202;
constexpr int SolutionGroup = 1203;
constexpr int Logo = 1204;
constexpr UINT LogoImage = 9312;

// The frame: its resource (menu, accelerators, document string) and commands.
constexpr UINT Frame = 9128;
constexpr UINT Toolbar = 9306;
constexpr UINT ContextMenu = 9119;
constexpr UINT ViewCommand = 32771;    // handled by the view and the document
constexpr UINT DocumentCommand = 32772;  // handled by the document and the frame
constexpr UINT FrameCommand = 32773;   // handled by the frame and the application
constexpr UINT AppCommand = 32774;     // handled by the application only
constexpr UINT Unhandled = 32775;      // no handler anywhere
constexpr UINT Toggle = 32776;         // checked by its update handler
constexpr UINT PopupFirst = 32777;     // first item of a popup whose entry its handler greys
constexpr UINT PopupSecond = 32778;
constexpr UINT Disabled = 32779;       // handled, but its update handler disables it
constexpr UINT Renamed = 32780;        // its update handler sets its text

}  // namespace TestIds

// Registers the resources once.
void RegisterTestResources();
