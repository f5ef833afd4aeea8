// The document's Convert HEC-RAS Geometry File command: the converter dialog, then one reach of
// the geometry file written as a new model file. The model that is open stays as it is, and
// the new file is not opened.
#include "app/HECRASConvertDlg.h"
#include "app/MessageText.h"
#include "app/VasquilDoc.h"
#include "datalib/HECRASConversion.h"
#include "platform/Application.h"
#include "platform/Frame.h"
#include "platform/WaitCursor.h"

#include <optional>
#include <string>

using VQXHECRASDataLib::VQXConversionRequest;
using VQXHECRASDataLib::VQXConversionResult;
using VQXHECRASDataLib::VQXHECRASDataSet;

namespace {

// What the status bar's first pane says as the conversion goes and when it has ended.
constexpr const char* ConvertingText = "Converting HEC-RAS Geometry...";
constexpr const char* CompleteText = "Conversion complete!";
constexpr const char* FailedText = "Conversion failed.";
constexpr const char* CancelledText = "Conversion cancelled.";
// With the number of reaches and the name of the one converted.
constexpr const char* SeveralReachesText = "The geometry file holds %d reaches; only %s is converted. Go on?";
// With the converter's reason.
constexpr const char* NotConvertedText = "The HEC-RAS geometry file could not be converted: %s";
// A message lists at most this many notes (a file may hold hundreds of structures), then how
// many more there are.
constexpr std::size_t NotesShown = 20;
constexpr const char* MoreNotesText = "... and %d more.";

void ShowStatus(const char* text)
{
    CWnd* main = AfxGetMainWnd();
    if (main && main->IsKindOf(&CFrameWnd::Runtime)) static_cast<CFrameWnd*>(main)->SetMessageText(text);
}

}  // namespace

void CVasquilDoc::OnFileConvertHecRasGeometry()
{
    CHECRASConvertDlg dialog(AfxGetMainWnd());
    if (dialog.DoModal() != IDOK) return;
    VQXConversionRequest request;
    request.GeometryPath = dialog.GeometryPath;
    request.ModelPath = dialog.OutputPath;
    request.UnitSystem = dialog.UnitChoice;
    request.InitialDepth = dialog.InitialDepth;
    request.InitialDischarge = dialog.InitialDischarge;
    request.StartDate = Clock();

    ShowStatus(ConvertingText);
    VQXConversionResult result;
    {
        std::optional<CWaitCursor> wait(std::in_place);
        // The question is asked without the wait cursor, which comes back for the rest.
        result = VQXHECRASDataLib::ConvertHECRASGeometry(request, [&wait](const VQXHECRASDataSet& data) {
            wait.reset();
            const std::string name = data.Reaches[static_cast<std::size_t>(data.ConvertedReach)].Label();
            const bool goOn = AfxMessageBox(FormatText(SeveralReachesText, static_cast<int>(data.Reaches.size()),
                                                       name.c_str()),
                                            MB_YESNO) == IDYES;
            if (goOn) wait.emplace();
            return goOn;
        });
    }

    if (result.Code == VQXHECRASDataLib::ConversionCancelled) {
        ShowStatus(CancelledText);
    } else if (!result.Ok()) {
        ShowStatus(FailedText);
        AfxMessageBox(FormatText(NotConvertedText, (result.Reason + ".").c_str()), MB_OK | MB_ICONSTOP);
    } else {
        ShowStatus(CompleteText);
        std::string notes;
        for (std::size_t i = 0; i < result.Notes.size() && i < NotesShown; ++i)
            notes += (notes.empty() ? "" : "\n") + result.Notes[i];
        if (result.Notes.size() > NotesShown)
            notes += "\n" + FormatText(MoreNotesText, static_cast<int>(result.Notes.size() - NotesShown));
        AfxMessageBox(notes, MB_OK | MB_ICONINFORMATION);
    }
    UpdateAllViews(nullptr, 0);
}
