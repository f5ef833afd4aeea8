#include "app/WQGlobalSettingsDlg.h"

#include "platform/DataExchange.h"
#include "resources/ResourceIds.h"

#include <iterator>

namespace {

using C = WaterQualityCoefficients;

constexpr WQSettingsMember Number(double C::* member) { return {member, nullptr}; }
constexpr WQSettingsMember Flag(int C::* member) { return {nullptr, member}; }

// The coefficients of the fields, in the order of the templates' fields.
constexpr WQSettingsMember NutrientMembers[] = {
    Number(&C::PhiLatitude), Number(&C::Emax),     Number(&C::Ftd),    Number(&C::Eaf),     Number(&C::ThetaRear),
    Number(&C::Rresp),       Number(&C::ThetaResp), Number(&C::Pmax),  Number(&C::PmTwo),   Number(&C::KBOD),
    Number(&C::ThetaBOD),    Number(&C::Ks),       Number(&C::AOne),   Number(&C::EOne),    Number(&C::ETwo),
    Number(&C::EThree),      Number(&C::KSOD),     Number(&C::ThetaSOD), Number(&C::Ksus),  Number(&C::Ksed),
    Number(&C::Ucrit),       Number(&C::YBOD),     Number(&C::Un),     Number(&C::Ub),      Number(&C::NOne),
    Number(&C::Knit),        Number(&C::ThetaNit), Number(&C::Ynit),   Number(&C::Ksden),   Number(&C::NTwo),
    Number(&C::Kden),        Number(&C::ThetaDen), Number(&C::Yp),     Number(&C::Up),      Number(&C::KPres),
    Number(&C::KPdep),       Number(&C::UPcrit),   Number(&C::Krel),   Number(&C::ThetaRel), Number(&C::Kads),
    Number(&C::ThetaAds)};
// Ucrit is the nutrients' own: every dialog edits the one value.
constexpr WQSettingsMember MetalMembers[] = {
    Number(&C::Koc), Number(&C::Kw),    Number(&C::KsSediment), Number(&C::Focw), Number(&C::Focs),
    Number(&C::Dzf), Number(&C::Fdzds), Number(&C::Fbiot),      Number(&C::Mw),   Number(&C::RhoDs),
    Number(&C::Ps),  Number(&C::Ws),    Number(&C::Rs),         Number(&C::Rp),   Number(&C::Ucrit)};
constexpr WQSettingsMember XenobioticMembers[] = {
    Number(&C::Kbw),  Number(&C::Kbs),  Number(&C::Khsw), Number(&C::Khss), Number(&C::ThetaB),
    Number(&C::AlphaL), Number(&C::Kpho), Number(&C::KH), Flag(&C::Bacid),  Flag(&C::Bbase),
    Number(&C::Pka),  Number(&C::Pkb),  Number(&C::Khac), Number(&C::Khne), Number(&C::Khal),
    Number(&C::RG),   Number(&C::PHw),  Number(&C::PHs),  Number(&C::Uwind)};

static_assert(std::size(NutrientMembers) == std::size(NutrientSettingsFields));
static_assert(std::size(MetalMembers) == std::size(MetalSettingsFields));
static_assert(std::size(XenobioticMembers) == std::size(XenobioticSettingsFields));

}  // namespace

const CRuntimeClass CWQSettingsDlg::Runtime{"CWQSettingsDlg", &CDialog::Runtime, nullptr};
const CRuntimeClass CWQGlobalSettingsDlg::Runtime{"CWQGlobalSettingsDlg", &CWQSettingsDlg::Runtime, nullptr};
const CRuntimeClass CHMGlobalSettingsDlg::Runtime{"CHMGlobalSettingsDlg", &CWQSettingsDlg::Runtime, nullptr};
const CRuntimeClass CXEGlobalSettingsDlg::Runtime{"CXEGlobalSettingsDlg", &CWQSettingsDlg::Runtime, nullptr};

CWQSettingsDlg::CWQSettingsDlg(UINT templateId, std::initializer_list<FieldGroup> groups, CWnd* parent)
    : CDialog(templateId, parent), Groups(groups)
{
    RegisterWQSettingsDialogs();
}

void CWQSettingsDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    for (const FieldGroup& group : Groups) {
        for (std::size_t i = 0; i < group.fields.size() && !pDX->m_bFailed; ++i) {
            const WQSettingsMember& m = group.members[i];
            if (m.number) DDX_Text(pDX, group.fields[i].id, Values.*m.number);
            else DDX_Text(pDX, group.fields[i].id, Values.*m.flag);
        }
    }
}

CWQGlobalSettingsDlg::CWQGlobalSettingsDlg(CWnd* parent)
    : CWQSettingsDlg(IDD_WQ_GLOBAL_SETTINGS, {{NutrientSettingsFields, NutrientMembers}}, parent)
{
}

CHMGlobalSettingsDlg::CHMGlobalSettingsDlg(CWnd* parent)
    : CWQSettingsDlg(IDD_HM_GLOBAL_SETTINGS, {{MetalSettingsFields, MetalMembers}}, parent)
{
}

CXEGlobalSettingsDlg::CXEGlobalSettingsDlg(CWnd* parent)
    : CWQSettingsDlg(IDD_XE_GLOBAL_SETTINGS,
                     {{MetalSettingsFields, MetalMembers}, {XenobioticSettingsFields, XenobioticMembers}}, parent)
{
}
