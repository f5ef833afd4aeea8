#include "app/GlobalSettingsDlg.h"

#include "app/MessageText.h"
#include "datalib/ModelState.h"
#include "platform/Application.h"
#include "platform/DataExchange.h"
#include "resources/GlobalSettingsDialog.h"
#include "resources/ResourceIds.h"

#include <iterator>
#include <span>

namespace {

// The dialog's messages.
constexpr const char* TooManyZonesText = "The maximum number of atmospheric zones is %d.";
constexpr const char* TooManyEventsText = "The maximum number of bridging events is %d.";
constexpr const char* NegativeZonesText = "The number of atmospheric zones cannot be negative.";
constexpr const char* NegativeEventsText = "The number of bridging events cannot be negative.";
constexpr const char* NoStartText = "Please select a valid date and time.";
// The water temperature's field under thermal ice, which computes the temperature itself.
constexpr const char* NotApplicableText = "Not Applicable";

// A field given back for every file type.
constexpr int AnyFileType = -1;

// The model-state value of a field of a number or a whole number, and the file type whose
// field gives it back (AnyFileType: every type).
struct SettingsMember {
    int id;
    double ModelState::* number;
    int ModelState::* integer;
    int fileType;
};

constexpr SettingsMember Real(int id, double ModelState::* member, int fileType = AnyFileType)
{
    return {id, member, nullptr, fileType};
}
constexpr SettingsMember Whole(int id, int ModelState::* member) { return {id, nullptr, member, AnyFileType}; }

using S = ModelState;
constexpr SettingsMember SettingsMembers[] = {
    Real(IDC_GS_UPWINDING, &S::HydroUpwinding),
    Real(IDC_GS_WATER_TEMPERATURE, &S::WaterTemperature),
    Real(IDC_GS_SPECIFIC_GRAVITY, &S::IceSpecificGravity),
    Real(IDC_GS_THERMAL_UPWINDING, &S::AddUpwinding, FileTypeThermalIce),
    Whole(IDC_GS_ZONES, &S::ZoneCount),
    Real(1067, &S::MinWaterDepth),
    Real(1071, &S::FrazilSeedingConcentration),
    Real(1073, &S::FrazilParticleThickness),
    Real(1074, &S::FrazilParticleRadius),
    Real(1077, &S::FrazilNusselt),
    Real(1079, &S::AlphaWI),
    Real(1117, &S::AlphaIW),
    Real(1088, &S::FrazilRiseRate),
    Real(1089, &S::ReentrainmentRate),
    Real(1140, &S::ReentrainmentVelocity),
    Real(1090, &S::FrazilSlushPorosity),
    Real(1091, &S::NewPanThickness),
    Real(1093, &S::SolidIceInitialThickness),
    Real(1220, &S::WaterAlbedo),
    Real(1217, &S::IceAlbedo),
    Real(1222, &S::SnowThickness),
    Real(1193, &S::SnowConductivity),
    Real(1187, &S::WaterConductivity),
    Real(1189, &S::IceConductivity),
    Real(1094, &S::FrazilShapeFactor),
    Real(1095, &S::CoverloadGranuleDiameter),
    Real(1096, &S::CriticalFlowStrength),
    Real(1184, &S::MinWaterTemperature),
    Real(1097, &S::AnchorIcePorosity),
    Real(1098, &S::FrazilAccretionRate),
    Real(1099, &S::AnchorIceBedFraction),
    Real(1121, &S::BedMaterialDiameter),
    Real(1160, &S::BedMaterialDensity),
    Real(1100, &S::BorderIceCoefA),
    Real(1101, &S::BorderIceCoefB),
    Real(1102, &S::BorderIceCoefC),
    Real(1112, &S::BorderIceCoefE),
    Real(1113, &S::MaxBorderIceFraction),
    Real(1142, &S::MaxBorderIceVelocity),
    Real(IDC_GS_THERMAL_MIN_CONCENTRATION, &S::MinSurfaceIceConcentration, FileTypeThermalIce),
    Real(IDC_GS_THERMAL_MAX_CONCENTRATION, &S::MaxSurfaceIceConcentration, FileTypeThermalIce),
    Real(1127, &S::MaxJuxtapositionFroude),
    Whole(1186, &S::MaxJamIterations),
    Real(1134, &S::IceFrontFloePorosity),
    Real(IDC_GS_THERMAL_ICE_FRICTION, &S::IceFriction, FileTypeThermalIce),
    Real(IDC_GS_THERMAL_ICE_COHESION, &S::IceCohesion, FileTypeThermalIce),
    Whole(IDC_GS_EVENTS, &S::EventCount),
    Real(IDC_GS_DYNAMIC_UPWINDING, &S::AddUpwinding, FileTypeDynamicIce),
    Real(1147, &S::LateralThrustCoefficient),
    Real(1149, &S::BankFriction),
    Real(IDC_GS_DYNAMIC_MIN_CONCENTRATION, &S::MinSurfaceIceConcentration, FileTypeDynamicIce),
    Real(IDC_GS_DYNAMIC_MAX_CONCENTRATION, &S::MaxSurfaceIceConcentration, FileTypeDynamicIce),
    Real(1151, &S::SingleLayerIceThickness),
    Real(1155, &S::IceInternalFrictionAngle),
    Real(1161, &S::CriticalStrainRate),
    Real(1163, &S::ConstitutiveTimeScale),
    Real(1165, &S::PowerLawExponent),
    Real(1167, &S::IcePressureExponent),
    Real(IDC_GS_SURFACE_ICE_DIFFUSION, &S::SurfaceIceDiffusion, FileTypeDynamicIce),
    Real(IDC_GS_JAM_ICE_FRICTION, &S::IceFriction, FileTypeStaticIce),
    Real(IDC_GS_JAM_ICE_COHESION, &S::IceCohesion, FileTypeStaticIce),
    Real(1175, &S::JamPorosity),
    Real(1177, &S::ErosionVelocity),
    Real(1179, &S::PassivePressureCoefficient),
    Real(1180, &S::IceThicknessDamping),
    Real(1182, &S::MaxDischargeChangeJSE),
};

// Every edit field of the template has its member, and no other row has one.
constexpr bool EveryFieldHasItsMember()
{
    std::size_t fields = 0;
    for (const GlobalSettingsRow& row : GlobalSettingsRows) {
        if (row.control != SettingsControl::Number && row.control != SettingsControl::Integer) continue;
        ++fields;
        bool found = false;
        for (const SettingsMember& m : SettingsMembers)
            if (m.id == row.id) found = (row.control == SettingsControl::Number) == (m.number != nullptr);
        if (!found) return false;
    }
    return fields == std::size(SettingsMembers);
}
static_assert(EveryFieldHasItsMember());

// A drop-down list: its entries and the member holding its index.
struct ListMember {
    int id;
    std::span<const char* const> entries;
    CComboBox CGlobalSettingsDlg::* list;
    int CGlobalSettingsDlg::* index;
};

// In the order the lists are filled.
const ListMember ListMembers[] = {
    {IDC_GS_UNITS, UnitsEntries, &CGlobalSettingsDlg::UnitsList, &CGlobalSettingsDlg::UnitSystem},
    {IDC_GS_RESISTANCE, ResistanceEntries, &CGlobalSettingsDlg::ResistanceList, &CGlobalSettingsDlg::ResistanceModel},
    {IDC_GS_FORMULATION, FormulationEntries, &CGlobalSettingsDlg::FormulationList, &CGlobalSettingsDlg::Formulation},
    {IDC_GS_UPWINDING_UPDATING, UpwindingUpdatingEntries, &CGlobalSettingsDlg::UpwindingUpdatingList,
     &CGlobalSettingsDlg::UpwindingUpdating},
    {IDC_GS_BORDER_ICE_VELOCITY, BorderIceVelocityEntries, &CGlobalSettingsDlg::BorderIceVelocityList,
     &CGlobalSettingsDlg::BorderIceVelocityMode},
    {IDC_GS_THERMAL_UPWINDING_UPDATING, UpwindingUpdatingEntries, &CGlobalSettingsDlg::ThermalUpwindingUpdatingList,
     &CGlobalSettingsDlg::ThermalUpwindingUpdating},
};

// Whether a file type shows a group of rows; a type other than 0 to 3 shows what open water does.
bool Shows(SettingsGroup group, int fileType)
{
    switch (group) {
    case SettingsGroup::General: return true;
    case SettingsGroup::Ice: return fileType >= FileTypeStaticIce && fileType <= FileTypeThermalIce;
    case SettingsGroup::Thermal: return fileType == FileTypeThermalIce;
    case SettingsGroup::DynamicIce: return fileType == FileTypeDynamicIce;
    case SettingsGroup::IceJam: return fileType == FileTypeStaticIce;
    }
    return false;
}

// The window's size by file type, in dialog units; the last for any other type.
struct WindowSize {
    int cx;
    int cy;
};
constexpr WindowSize WindowSizes[] = {{367, 165}, {367, 300}, {367, 367}, {707, 480}, {367, 150}};

WindowSize WindowSizeOf(int fileType)
{
    const std::size_t last = std::size(WindowSizes) - 1;
    return WindowSizes[fileType >= 0 && std::size_t(fileType) < last ? std::size_t(fileType) : last];
}

// A control's rectangle in its dialog's client coordinates.
CRect PlaceOf(const CWnd& dialog, const CWnd& control)
{
    CRect r;
    control.GetWindowRect(&r);
    CPoint topLeft(r.left, r.top);
    dialog.ScreenToClient(&topLeft);
    return CRect(topLeft.x, topLeft.y, topLeft.x + r.Width(), topLeft.y + r.Height());
}

}  // namespace

const CRuntimeClass CGlobalSettingsDlg::Runtime{"CGlobalSettingsDlg", &CDialog::Runtime, nullptr};

CGlobalSettingsDlg::CGlobalSettingsDlg(CWnd* parent) : CDialog(IDD_GLOBAL_SETTINGS, parent)
{
    RegisterGlobalSettingsDialogs();
    for (const SettingsMember& m : SettingsMembers) {
        if (m.number) numbers_[m.id] = 0.0;
        else integers_[m.id] = 0;
    }
}

void CGlobalSettingsDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    for (const ListMember& l : ListMembers) DDX_Control(pDX, l.id, this->*l.list);
    DDX_Control(pDX, IDOK, OkButton);
    DDX_Control(pDX, IDCANCEL, CancelButton);
    DDX_Control(pDX, IDC_GS_START, StartPicker);
    for (const GlobalSettingsRow& row : GlobalSettingsRows) {
        if (pDX->m_bFailed) return;
        if (row.id == IDC_GS_WATER_TEMPERATURE && FileType == FileTypeThermalIce) continue;
        if (row.control == SettingsControl::Number) DDX_Text(pDX, row.id, numbers_[row.id]);
        else if (row.control == SettingsControl::Integer) DDX_Text(pDX, row.id, integers_[row.id]);
    }
}

BOOL CGlobalSettingsDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    for (const ListMember& l : ListMembers) {
        CComboBox& list = this->*l.list;
        list.ResetContent();
        for (const char* entry : l.entries) list.AddString(entry);
        list.SetCurSel(this->*l.index);
    }
    StartPicker.SetFormat(StartDateTimeFormat);
    StartPicker.SetTime(&StartDateTime);
    if (FileType == FileTypeThermalIce) {
        if (CWnd* temperature = GetDlgItem(IDC_GS_WATER_TEMPERATURE)) {
            temperature->SetWindowText(NotApplicableText);
            temperature->EnableWindow(FALSE);
        }
    }
    LayOut();
    return TRUE;
}

void CGlobalSettingsDlg::LayOut()
{
    // The moved rows take the x of the thermal upwinding coefficient's label and field.
    CWnd* anchorLabel = GetDlgItem(IDC_GS_THERMAL_UPWINDING + GlobalSettingsLabelOffset);
    CWnd* anchorField = GetDlgItem(IDC_GS_THERMAL_UPWINDING);
    const int labelX = anchorLabel ? PlaceOf(*this, *anchorLabel).left : 0;
    const int fieldX = anchorField ? PlaceOf(*this, *anchorField).left : 0;
    const SettingsGroup moved = FileType == FileTypeStaticIce    ? SettingsGroup::IceJam
                                : FileType == FileTypeDynamicIce ? SettingsGroup::DynamicIce
                                                                 : SettingsGroup::General;
    for (const GlobalSettingsRow& row : GlobalSettingsRows) {
        const bool shown = Shows(row.group, FileType);
        const bool move = shown && row.group == moved && moved != SettingsGroup::General;
        for (int id : {row.id + GlobalSettingsLabelOffset, row.id}) {
            CWnd* control = GetDlgItem(id);
            if (!control) continue;
            control->ShowWindow(shown ? SW_SHOW : SW_HIDE);
            if (!move) continue;
            const CRect r = PlaceOf(*this, *control);
            const int x = id == row.id ? fieldX : labelX;
            control->MoveWindow(x, r.top, r.Width(), r.Height());
        }
    }

    CRect before;
    GetWindowRect(&before);
    const WindowSize size = WindowSizeOf(FileType);
    CRect pixels(0, 0, size.cx, size.cy);
    MapDialogRect(&pixels);
    MoveWindow(before.left, before.top, pixels.Width(), pixels.Height());
    CRect after;
    GetWindowRect(&after);

    for (CWnd* button : {GetDlgItem(IDOK), GetDlgItem(IDCANCEL)}) {
        if (!button) continue;
        const CRect r = PlaceOf(*this, *button);
        if (FileType == FileTypeThermalIce) button->MoveWindow(r.left + after.Width() / 4, r.top, r.Width(), r.Height());
        else button->MoveWindow(r.left, r.top - (before.Height() - after.Height()), r.Width(), r.Height());
    }
}

void CGlobalSettingsDlg::OnOK()
{
    if (!UpdateData(TRUE)) return;
    // A list without a selection keeps the index it was shown with.
    for (const ListMember& l : ListMembers)
        if (const int selected = (this->*l.list).GetCurSel(); selected != CB_ERR) this->*l.index = selected;
    const int zones = integers_[IDC_GS_ZONES];
    const int events = integers_[IDC_GS_EVENTS];
    if (zones > MaxZones) {
        AfxMessageBox(FormatText(TooManyZonesText, MaxZones));
        return;
    }
    if (zones < 0) {
        AfxMessageBox(NegativeZonesText);
        return;
    }
    if (events > MaxEvents) {
        AfxMessageBox(FormatText(TooManyEventsText, MaxEvents));
        return;
    }
    if (events < 0) {
        AfxMessageBox(NegativeEventsText);
        return;
    }
    SYSTEMTIME start;
    if (StartPicker.GetTime(&start) != GDT_VALID) {
        AfxMessageBox(NoStartText);
        return;
    }
    StartDateTime = start;
    CDialog::OnOK();
}

void CGlobalSettingsDlg::TakeSettings(const ModelState& state)
{
    FileType = state.FileType;
    UnitSystem = state.UnitSystem;
    Formulation = state.Formulation;
    UpwindingUpdating = state.HydroUpwindingUpdating;
    ResistanceModel = state.ResistanceModel;
    ThermalUpwindingUpdating = state.AddUpwindingUpdating;
    BorderIceVelocityMode = state.BorderIceVelocityMode;
    for (const SettingsMember& m : SettingsMembers) {
        if (m.number) numbers_[m.id] = state.*m.number;
        else integers_[m.id] = state.*m.integer;
    }
    MaxZones = state.MaxZones;
    MaxEvents = state.MaxEvents;
    StartDateTime = {};
    StartDateTime.wYear = WORD(state.StartDate[0]);
    StartDateTime.wMonth = WORD(state.StartDate[1]);
    StartDateTime.wDay = WORD(state.StartDate[2]);
    StartDateTime.wHour = WORD(state.StartDate[3]);
    StartDateTime.wMinute = WORD(state.StartDate[4]);
    StartDateTime.wSecond = WORD(state.StartDate[5]);
}

void CGlobalSettingsDlg::GiveSettings(ModelState& state) const
{
    state.UnitSystem = UnitSystem;
    state.Formulation = Formulation;
    state.HydroUpwindingUpdating = UpwindingUpdating;
    state.ResistanceModel = ResistanceModel;
    state.BorderIceVelocityMode = BorderIceVelocityMode;
    if (FileType == FileTypeThermalIce) state.AddUpwindingUpdating = ThermalUpwindingUpdating;
    for (const SettingsMember& m : SettingsMembers) {
        if (m.fileType != AnyFileType && m.fileType != FileType) continue;
        if (m.number) state.*m.number = numbers_.at(m.id);
        else state.*m.integer = integers_.at(m.id);
    }
    state.StartDate[0] = StartDateTime.wYear;
    state.StartDate[1] = StartDateTime.wMonth;
    state.StartDate[2] = StartDateTime.wDay;
    state.StartDate[3] = StartDateTime.wHour;
    state.StartDate[4] = StartDateTime.wMinute;
    state.StartDate[5] = StartDateTime.wSecond;
}
