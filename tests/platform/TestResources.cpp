#include "TestResources.h"

#include "platform/Resources.h"

#include <QBuffer>
#include <QImage>

#include <array>
#include <vector>

namespace {

using namespace TestIds;

constexpr int Static = -1;

const DialogTemplate Dialogs[] = {
    {.id = RunDialog,
     .caption = "Run Transient",
     .size = {0, 0, 220, 170},
     .controls = {
         {.id = SolutionGroup, .kind = ControlKind::GroupBox, .text = " Hydrodynamic Solution ", .rect = {4, 4, 212, 96}},
         {.id = Static, .kind = ControlKind::Static, .text = "Present Time (hrs)", .rect = {10, 16, 90, 8}},
         {.id = PresentTime, .kind = ControlKind::Edit, .rect = {110, 14, 60, 14}, .style = WS_VISIBLE | WS_TABSTOP},
         {.id = Static, .kind = ControlKind::Static, .text = "Final Time (hrs)", .rect = {10, 32, 90, 8}},
         {.id = FinalTime, .kind = ControlKind::Edit, .rect = {110, 30, 60, 14}, .style = WS_VISIBLE | WS_TABSTOP},
         {.id = TimeStepLabel, .kind = ControlKind::Static, .text = "Time Step Increment, \u0394t (hrs)", .rect = {10, 48, 98, 8}},
         {.id = TimeStep, .kind = ControlKind::Edit, .rect = {110, 46, 60, 14}, .style = WS_VISIBLE | WS_TABSTOP},
         {.id = ThetaLabel, .kind = ControlKind::Static, .text = "Implicitness, \u03F4", .rect = {10, 64, 90, 8}},
         {.id = Theta, .kind = ControlKind::Edit, .rect = {110, 62, 60, 14}, .style = WS_VISIBLE | WS_TABSTOP},
         {.id = Static, .kind = ControlKind::Static, .text = "Max # of iterations per \u0394t", .rect = {10, 80, 98, 8}},
         {.id = MaxIterations, .kind = ControlKind::Edit, .rect = {110, 78, 60, 14}, .style = WS_VISIBLE | WS_TABSTOP},
         {.id = Hydrodynamics, .kind = ControlKind::CheckBox, .text = "Hydrodynamics", .rect = {10, 104, 80, 10}, .style = WS_VISIBLE | WS_TABSTOP},
         {.id = ParameterChart, .kind = ControlKind::RadioButton, .text = "Parameter Chart", .rect = {100, 104, 70, 10}, .style = WS_VISIBLE | WS_GROUP | WS_TABSTOP},
         {.id = ElevationChart, .kind = ControlKind::RadioButton, .text = "Elevation Chart", .rect = {100, 116, 70, 10}},
         {.id = Interval, .kind = ControlKind::ComboList, .rect = {10, 118, 80, 60}, .style = WS_VISIBLE | WS_GROUP | WS_TABSTOP,
          .items = {"time step", "1 minute", "5 minutes", "15 minutes", "1 hour"}},
         {.id = OutputPath, .kind = ControlKind::Edit, .rect = {10, 134, 160, 14}, .style = WS_VISIBLE | ES_READONLY},
         {.id = Logo, .kind = ControlKind::Picture, .rect = {180, 108, 20, 20}, .image = LogoImage},
         {.id = Run, .kind = ControlKind::PushButton, .text = "Run", .rect = {176, 134, 40, 14}, .style = WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON},
         {.id = IDCANCEL, .kind = ControlKind::PushButton, .text = "Close", .rect = {176, 152, 40, 14}, .style = WS_VISIBLE | WS_TABSTOP},
     }},
};

const MenuTemplate Menus[] = {
    {.id = Frame,
     .popups = {
         {.text = "&File",
          .items = {{ID_FILE_NEW, "&New\tCtrl+N"}, {ID_FILE_OPEN, "&Open...\tCtrl+O"}, {ID_FILE_SAVE, "&Save\tCtrl+S"},
                    {ID_FILE_SAVE_AS, "Save &As..."}, {}, {ID_FILE_MRU_FILE1, "Recent File"}, {}, {ID_APP_EXIT, "E&xit"}}},
         {.text = "&Commands",
          .items = {{ViewCommand, "&View Command"}, {DocumentCommand, "&Document Command"}, {FrameCommand, "&Frame Command"},
                    {AppCommand, "&App Command"}, {Unhandled, "&Unhandled"}, {Toggle, "&Toggle"}, {Disabled, "D&isabled"}, {Renamed, "Old Name"},
                    {.text = "&Popup", .items = {{PopupFirst, "First"}, {PopupSecond, "Second"}}}}},
     }},
    {.id = ContextMenu,
     .popups = {{.text = "Edit", .items = {{ID_EDIT_COPY, "&Copy\tCtrl+C"}, {ID_EDIT_PASTE, "&Paste\tCtrl+V"}}}}},
};

const ToolbarTemplate Toolbars[] = {
    {.id = Toolbar, .buttons = {ID_FILE_NEW, ID_FILE_SAVE, ID_SEPARATOR, ViewCommand, Unhandled, Disabled}},
};

const AcceleratorTable Accelerators[] = {
    {.id = Frame,
     .entries = {{ID_FILE_NEW, "Ctrl+N"}, {ID_FILE_SAVE, "Ctrl+S"}, {AppCommand, "Ctrl+Shift+A"}, {Disabled, "F7"}}},
};

const StringResource Strings[] = {
    {Frame, "Vasquil Test\n\nVasquil Test\nTest Files (*.tst)\n.tst\nTest.Document\nTest.Document"},
    {ViewCommand, "Do the view's command\nView Command"},
    {Unhandled, "Nobody handles this\nUnhandled"},
    {AppCommand, "Runs in the application"},
};

// A 16 x 16 picture made at start-up (blue, a red square inside).
std::vector<unsigned char> LogoBytes()
{
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::blue);
    for (int y = 4; y < 12; ++y) {
        for (int x = 4; x < 12; ++x) image.setPixel(x, y, qRgb(255, 0, 0));
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return std::vector<unsigned char>(bytes.begin(), bytes.end());
}

}  // namespace

void RegisterTestResources()
{
    static bool registered = false;
    if (registered) return;
    registered = true;
    static const std::vector<unsigned char> logo = LogoBytes();
    static const ImageResource images[] = {{LogoImage, logo.data(), logo.size()}};
    RegisterResources({Dialogs, Menus, Toolbars, Accelerators, Strings, images});
}
