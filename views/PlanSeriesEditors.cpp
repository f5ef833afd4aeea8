#include "views/PlanSeriesEditors.h"

#include "app/EditAtmosphericZoneDlg.h"
#include "app/EditInflowBCDlg.h"
#include "app/EditOutflowBCDlg.h"
#include "app/EditWQInflowBCDlg.h"
#include "app/MessageText.h"
#include "app/VasquilDoc.h"
#include "datalib/DisplayModel.h"
#include "datalib/ModelState.h"
#include "platform/Application.h"

#include <utility>

using VQXDisplayLib::VQXAtmosphericZone;
using VQXDisplayLib::VQXDisplayBoundaryElement;
using VQXDisplayLib::VQXTimeSeries;

namespace {

// The titles of the boundary dialogs by the element's kind, and of the zone dialog.
constexpr const char* BoundaryTitles[] = {
    "BC # %d    ( Type = Inflow Hydrograph )",
    "BC # %d    ( Type = Lateral Flow Hydrograph )",
    "BC # %d    ( Type = Outflow Hydrograph )",
    "BC # %d    ( Type = Outflow Rating Curve )",
};
constexpr const char* ZoneTitle = "Zone # %d";

// Why a series did not reach the model, by the model state's result; the series stays as it was
// in the display and in the model.
struct WriteBackMessage {
    int result;
    const char* text;
};
constexpr WriteBackMessage WriteBackMessages[] = {
    {ModelStateNotInEngine, "The series was not kept: the model has no object numbered %d."},
    {ModelStateOverCapacity, "The series was not kept: a series holds at most 100000 entries."},
    {ModelStateNoMemory, "The series was not kept: there is not enough memory for it."},
};
constexpr const char* OtherWriteBackText = "The series was not kept (error %d).";

void ShowWriteBackFailure(int result, int number)
{
    for (const WriteBackMessage& m : WriteBackMessages) {
        if (m.result == result) {
            AfxMessageBox(result == ModelStateNotInEngine ? FormatText(m.text, number) : std::string(m.text));
            return;
        }
    }
    AfxMessageBox(FormatText(OtherWriteBackText, result));
}

std::string BoundaryTitle(const VQXDisplayBoundaryElement& element)
{
    const int kind = element.Kind;
    return kind >= 0 && kind < int(std::size(BoundaryTitles)) ? FormatText(BoundaryTitles[kind], element.Number)
                                                              : std::string();
}

int DisplayUnits(const CVasquilDoc& doc)
{
    return doc.DisplayModel ? doc.DisplayModel->UnitSystem : 1;
}

// Puts the dialog's series into the element's series (member, through its setter set) and the
// engine (write), then, when it was applied, the run settings; a failed write keeps the
// element's old series.
template <class Write>
bool WriteBack(CVasquilDoc& doc, VQXDisplayBoundaryElement& element, VQXTimeSeries VQXDisplayBoundaryElement::*member,
               void (VQXDisplayBoundaryElement::*set)(VQXTimeSeries), VQXTimeSeries series, BOOL applied, Write write)
{
    VQXTimeSeries previous = element.*member;
    (element.*set)(std::move(series));
    const int result = write(*doc.State, &element);
    if (result != ModelStateOk) {
        (element.*set)(std::move(previous));
        ShowWriteBackFailure(result, element.Number);
        return false;
    }
    if (applied) doc.State->PushRunSettings();
    doc.SetModifiedFlag();
    return true;
}

}  // namespace

void OpenInflowSeriesEditor(CVasquilDoc& doc, VQXDisplayBoundaryElement& element)
{
    if (!doc.State) return;
    CEditInflowBCDlg dialog;
    dialog.Title = BoundaryTitle(element);
    dialog.Series = element.FlowSeries;
    dialog.Entries = int(element.FlowSeries.size());
    dialog.Units = DisplayUnits(doc);
    dialog.ColumnSet = doc.State->FileType;
    if (dialog.DoModal() != IDOK) return;
    WriteBack(doc, element, &VQXDisplayBoundaryElement::FlowSeries, &VQXDisplayBoundaryElement::SetFlowSeries,
              std::move(dialog.Series), dialog.Applied,
              [](ModelState& state, VQXDisplayBoundaryElement* e) { return state.WriteBoundarySeriesToEngine(e); });
}

void OpenOutflowSeriesEditor(CVasquilDoc& doc, VQXDisplayBoundaryElement& element)
{
    if (!doc.State) return;
    CEditOutflowBCDlg dialog;
    dialog.Title = BoundaryTitle(element);
    dialog.Series = element.FlowSeries;
    dialog.LowerBound = -1e9;
    dialog.UpperBound = 1e9;
    dialog.Entries = int(element.FlowSeries.size());
    dialog.Units = DisplayUnits(doc);
    dialog.ColumnSet = element.Kind;
    if (dialog.DoModal() != IDOK) return;
    WriteBack(doc, element, &VQXDisplayBoundaryElement::FlowSeries, &VQXDisplayBoundaryElement::SetFlowSeries,
              std::move(dialog.Series), dialog.Applied,
              [](ModelState& state, VQXDisplayBoundaryElement* e) { return state.WriteBoundarySeriesToEngine(e); });
}

void OpenWQInflowSeriesEditor(CVasquilDoc& doc, VQXDisplayBoundaryElement& element)
{
    if (!doc.State) return;
    CEditWQInflowBCDlg dialog;
    dialog.Title = BoundaryTitle(element);
    dialog.Series = element.WQSeries;
    dialog.Entries = int(element.WQSeries.size());
    dialog.Units = DisplayUnits(doc);
    dialog.ColumnSet = doc.State->WQType;
    if (dialog.DoModal() != IDOK) return;
    WriteBack(doc, element, &VQXDisplayBoundaryElement::WQSeries, &VQXDisplayBoundaryElement::SetWaterQualitySeries,
              std::move(dialog.Series), dialog.Applied, [](ModelState& state, VQXDisplayBoundaryElement* e) {
                  return state.WriteBoundaryWaterQualityToEngine(e);
              });
}

void OpenZoneSeriesEditor(CVasquilDoc& doc, VQXAtmosphericZone& zone)
{
    if (!doc.State) return;
    CEditAtmosphericZoneDlg dialog;
    dialog.Title = FormatText(ZoneTitle, zone.Number);
    dialog.Series = zone.Series;
    dialog.Entries = int(zone.Series.size());
    dialog.Units = DisplayUnits(doc);
    if (dialog.DoModal() != IDOK) return;
    VQXTimeSeries previous = std::exchange(zone.Series, std::move(dialog.Series));
    if (!dialog.Applied) return;
    const int result = doc.State->WriteZoneSeriesToEngine(&zone);
    if (result != ModelStateOk) {
        zone.Series = std::move(previous);
        ShowWriteBackFailure(result, zone.Number);
        return;
    }
    doc.SetModifiedFlag();
}
