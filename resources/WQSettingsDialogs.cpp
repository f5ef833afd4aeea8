// The templates of the water-quality settings dialogs: rows of a label and an edit box, 15
// dialog units apart from row 41, in one column (heavy metals) or two (nutrients,
// xenobiotics), with OK and Cancel below.
#include "resources/WQSettingsDialogs.h"

#include "platform/Resources.h"
#include "resources/ResourceIds.h"

#include <span>

namespace {

constexpr int Static = -1;
constexpr DWORD Field = WS_VISIBLE | WS_TABSTOP | WS_BORDER;

constexpr int FirstRowY = 41;
constexpr int RowStep = 15;
// Narrower than the labels need: the longest labels take most of a row.
constexpr int FieldWidth = 70;
constexpr int FieldHeight = 12;
// Space between a label's end and its field.
constexpr int LabelGap = 4;

// One column of rows: labels from labelX up to the fields at fieldX.
struct Column {
    int labelX;
    int fieldX;
};

void AddRows(std::vector<ControlTemplate>& controls, std::span<const WQSettingsField> fields, Column column)
{
    int row = 0;
    for (const WQSettingsField& f : fields) {
        const int y = FirstRowY + row++ * RowStep;
        controls.push_back({.id = Static, .kind = ControlKind::Static, .text = f.label,
                            .rect = {column.labelX, y + 2, column.fieldX - LabelGap - column.labelX, 9}});
        controls.push_back({.id = f.id, .kind = ControlKind::Edit, .rect = {column.fieldX, y, FieldWidth, FieldHeight},
                            .style = Field});
    }
}

void AddButtons(std::vector<ControlTemplate>& controls, int okX, int y)
{
    constexpr int ButtonWidth = 50;
    constexpr int CancelOffset = 53;
    controls.push_back({.id = IDOK, .kind = ControlKind::PushButton, .text = "OK", .rect = {okX, y, ButtonWidth, 14},
                        .style = WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON});
    controls.push_back({.id = IDCANCEL, .kind = ControlKind::PushButton, .text = "Cancel",
                        .rect = {okX + CancelOffset, y, ButtonWidth, 14}, .style = WS_VISIBLE | WS_TABSTOP});
}

// The heavy-metal and xenobiotic dialogs: their shared fields sit right of labels long enough
// for "Ratio between thickness of diffusion layer in sediment and sediment thickness (fdzds)".
constexpr int MetalFieldX = 360;
constexpr int MetalWidth = 440;
constexpr int XenobioticWidth = 780;

std::vector<ControlTemplate> NutrientControls()
{
    std::vector<ControlTemplate> controls;
    const std::span<const WQSettingsField> fields(NutrientSettingsFields);
    AddRows(controls, fields.first(NutrientFirstColumnFields), {15, 273});
    AddRows(controls, fields.subspan(NutrientFirstColumnFields), {358, 616});
    AddButtons(controls, 295, 377);
    return controls;
}

// The fields the heavy-metal and xenobiotic dialogs share, with the molecular weight's label.
std::vector<WQSettingsField> MetalFields(const char* weightLabel)
{
    std::vector<WQSettingsField> fields(std::begin(MetalSettingsFields), std::end(MetalSettingsFields));
    for (WQSettingsField& f : fields)
        if (f.id == MetalWeightField) f.label = weightLabel;
    return fields;
}

std::vector<ControlTemplate> MetalControls()
{
    std::vector<ControlTemplate> controls;
    AddRows(controls, MetalSettingsFields, {15, MetalFieldX});
    AddButtons(controls, MetalWidth / 2 - 51, 286);
    return controls;
}

std::vector<ControlTemplate> XenobioticControls()
{
    // The labels of the template must outlive it: the shared fields are kept here.
    static const std::vector<WQSettingsField> shared = MetalFields(XenobioticWeightLabel);
    std::vector<ControlTemplate> controls;
    AddRows(controls, shared, {15, MetalFieldX});
    AddRows(controls, XenobioticSettingsFields, {445, 700});
    AddButtons(controls, XenobioticWidth / 2 - 51, 345);
    return controls;
}

}  // namespace

void RegisterWQSettingsDialogs()
{
    static const bool registered = [] {
        static const DialogTemplate dialogs[] = {
            {.id = IDD_WQ_GLOBAL_SETTINGS,
             .caption = "Nutrients Global Settings (NU files)",
             .size = {0, 0, 693, 410},
             .controls = NutrientControls()},
            {.id = IDD_HM_GLOBAL_SETTINGS,
             .caption = "Heavy Metal Global Settings (HM files)",
             .size = {0, 0, MetalWidth, 315},
             .controls = MetalControls()},
            {.id = IDD_XE_GLOBAL_SETTINGS,
             .caption = "Xenobiotics Global Settings (XE files)",
             .size = {0, 0, XenobioticWidth, 372},
             .controls = XenobioticControls()},
        };
        RegisterResources({.dialogs = dialogs, .menus = {}, .toolbars = {}, .accelerators = {}, .strings = {}, .images = {}});
        return true;
    }();
    (void)registered;
}
