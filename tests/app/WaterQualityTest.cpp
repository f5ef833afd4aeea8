// Water quality in the program, headless, as a user works it: Open WQ Data, the settings
// dialog of each water-quality type, Save WQ Data, the water-quality run dialog (whose whole
// run gives what vasquil-batch gives), and the solution database commands.
#include "RunTestSupport.h"

#include "app/RunTransWQDlg.h"
#include "app/WQGlobalSettingsDlg.h"
#include "datalib/ModelState.h"
#include "datalib/ResultsWriter.h"
#include "engine/EngineData.h"
#include "engine/FileText.h"
#include "engine/ModelFiles.h"
#include "engine/ResultsDatabase.h"
#include "engine/WaterQualityFile.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

using namespace run_test;
namespace fs = std::filesystem;

bool Close(double a, double b, double relative)
{
    return a == b || std::fabs(a - b) <= relative * std::fmax(std::fabs(a), std::fabs(b));
}

std::vector<std::string> Lines(const fs::path& path)
{
    std::istringstream in(ReadFile(path));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The numbers of a text, in order (every run of characters that reads as one).
std::vector<double> Numbers(const std::string& text)
{
    std::vector<double> numbers;
    const char* p = text.c_str();
    while (*p) {
        char* end = nullptr;
        const double value = std::strtod(p, &end);
        if (end != p && (std::isdigit(static_cast<unsigned char>(*p)) || *p == '-' || *p == '.')) {
            numbers.push_back(value);
            p = end;
        } else {
            ++p;
        }
    }
    return numbers;
}

bool Contains(const std::vector<std::string>& names, const char* name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

class WaterQualityTest : public RunTest
{
protected:
    // Open WQ Data with path chosen; returns the messages shown.
    std::vector<std::string> OpenWQ(const fs::path& path)
    {
        files_.answers.push_back(path);
        MessageBoxSink boxes;
        {
            QuietStdout quiet;
            Command(ID_WQ_OPEN_DATA);
        }
        std::vector<std::string> shown;
        for (const MessageBoxRequest& r : boxes.shown) shown.push_back(r.text);
        return shown;
    }
    // Save WQ Data to path; returns the messages shown.
    std::vector<std::string> SaveWQ(const fs::path& path)
    {
        files_.answers.push_back(path);
        MessageBoxSink boxes;
        Command(ID_WQ_SAVE_DATA);
        std::vector<std::string> shown;
        for (const MessageBoxRequest& r : boxes.shown)
            if (r.text.find("Do you want to replace it?") == std::string::npos) shown.push_back(r.text);
        return shown;
    }
    // Global WQ Settings with script played on the live dialog; returns the messages shown
    // and, in *kind, the dialog's class.
    std::vector<std::string> Settings(const std::function<void(CDialog&)>& script, std::string* kind = nullptr)
    {
        ModalDialogInterceptor interceptor;
        interceptor.scripts.push_back([&](CDialog& live) {
            if (kind) *kind = live.GetRuntimeClass()->m_lpszClassName;
            script(live);
        });
        MessageBoxSink boxes;
        Command(ID_WQ_GLOBAL_SETTINGS);
        std::vector<std::string> shown;
        for (const MessageBoxRequest& r : boxes.shown) shown.push_back(r.text);
        return shown;
    }
    CRunTransWQDlg* WaterQualityRun()
    {
        Command(ID_WQ_TRANSIENT_SIMULATION);
        return Doc()->WaterQualityDialog;
    }
    static bool IsEnabled(CDialog* dialog, int id) { return dialog->GetDlgItem(id)->IsWindowEnabled(); }
};

// Open WQ Data loads the file over the model: the commands that need it are enabled, the
// lists offer its values, and the model state mirrors it.
TEST_F(WaterQualityTest, OpenWQDataLoadsTheFileAndTheListsOfferItsValues)
{
    ASSERT_TRUE(Open(Example("sample-river.vqx")));
    for (UINT id : {ID_WQ_SAVE_DATA, ID_WQ_GLOBAL_SETTINGS, ID_WQ_TRANSIENT_SIMULATION, ID_WQ_LOAD_DATABASE_SOLUTION,
                    ID_WQ_USE_DATABASE_SOLUTION})
        EXPECT_FALSE(Enabled(id)) << id;
    EXPECT_TRUE(Enabled(ID_WQ_OPEN_DATA));
    EXPECT_FALSE(Contains(Doc()->ProfileVariables, "DO"));

    const std::vector<std::string> shown = OpenWQ(Example("sample-river.nu"));
    ASSERT_TRUE(shown.empty()) << shown.front();
    CVasquilDoc* doc = Doc();
    EXPECT_EQ(doc->WaterQualityLoaded, 1);
    EXPECT_EQ(doc->WaterQualityPath, Example("sample-river.nu"));
    EXPECT_EQ(doc->State->WQLoaded, 1);
    EXPECT_EQ(doc->State->WQType, 0);
    EXPECT_EQ(Update(ID_WQ_OPEN_DATA).m_check.value_or(0), 1);
    for (UINT id : {ID_WQ_SAVE_DATA, ID_WQ_GLOBAL_SETTINGS, ID_WQ_TRANSIENT_SIMULATION, ID_WQ_LOAD_DATABASE_SOLUTION})
        EXPECT_TRUE(Enabled(id)) << id;
    EXPECT_FALSE(Enabled(ID_WQ_USE_DATABASE_SOLUTION));

    // Both lists end with the six nutrient values; the profile's base names stay first.
    const std::vector<std::string> nutrients = {"DO", "NH3", "NO3", "BOD", "OP", "PP"};
    ASSERT_GE(doc->ProfileVariables.size(), 11u);
    EXPECT_EQ(std::vector<std::string>(doc->ProfileVariables.end() - 6, doc->ProfileVariables.end()), nutrients);
    EXPECT_EQ(std::vector<std::string>(doc->HydrographVariables.end() - 6, doc->HydrographVariables.end()), nutrients);
    EXPECT_EQ(doc->ProfileVariables.front(), "Bed Elevation");
    EXPECT_EQ(doc->ProfileViewReset, 1);
    EXPECT_EQ(doc->HydrographViewReset, 1);
    // The display nodes show the file's values.
    EXPECT_EQ(doc->DisplayModel->FirstNode()->WQValues[0], g_NodeIndex[0]->WQValues[0]);

    // A heavy-metal file over the network offers the metal names.
    ASSERT_TRUE(Open(Example("sample-network.vqx"), "network.vqx"));
    EXPECT_EQ(Doc()->WaterQualityLoaded, 0);  // the new model has none
    ASSERT_TRUE(OpenWQ(Example("sample-network.hm")).empty());
    EXPECT_EQ(Doc()->ProfileVariables.back(), "Ms");
    EXPECT_EQ(Doc()->HydrographVariables[Doc()->HydrographVariables.size() - 6], "Cdw");
}

// A file that does not load names the reader's reason; afterwards no water-quality data
// remain anywhere and the model is as it was.
TEST_F(WaterQualityTest, AFileThatDoesNotLoadLeavesNoWaterQualityAndTheModelAsItWas)
{
    ASSERT_TRUE(Open(Example("sample-river.vqx")));
    const auto save = [](const fs::path& path) {
        QuietStdout quiet;
        return SaveModelFile(path);
    };
    ASSERT_EQ(save(folder_ / "before.vqx"), WriteOk);

    // A node row naming another node.
    std::string text = ReadFile(Example("sample-river.nu"));
    const std::size_t row = text.find("\n\t3\t");
    ASSERT_NE(row, std::string::npos);
    text.replace(row, 4, "\n\t7\t");
    std::ofstream(folder_ / "bad.nu", std::ios::binary) << text;

    struct Case {
        fs::path file;
        std::string message;
    };
    const Case cases[] = {
        {folder_ / "bad.nu", "Water Quality file did not load correctly. Please check the file format and try again.\n\n"
                             "WQ node row 3 gives node 7 where the model has node 3."},
        {folder_ / "missing.nu", "Could not open " + (folder_ / "missing.nu").string() + ": No such file or directory."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.filename().string());
        ASSERT_TRUE(OpenWQ(Example("sample-river.nu")).empty());
        ASSERT_EQ(Doc()->WaterQualityLoaded, 1);
        const std::vector<std::string> shown = OpenWQ(c.file);
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0], c.message);

        CVasquilDoc* doc = Doc();
        EXPECT_EQ(doc->WaterQualityLoaded, 0);
        EXPECT_TRUE(doc->WaterQualityPath.empty());
        EXPECT_EQ(doc->State->WQLoaded, 0);
        EXPECT_EQ(g_ModelControl.WaterQualityOn, 0);
        EXPECT_FALSE(Contains(doc->ProfileVariables, "DO"));
        EXPECT_FALSE(Contains(doc->HydrographVariables, "DO"));
        for (VQXDisplayLib::VQXDisplayNode* n = doc->DisplayModel->FirstNode(); n; n = doc->DisplayModel->NextNode())
            for (double v : n->WQValues) ASSERT_EQ(v, 0.0);
        for (VQXDisplayLib::VQXDisplayBoundaryElement* b = doc->DisplayModel->FirstBoundaryElement(); b;
             b = doc->DisplayModel->NextBoundaryElement())
            EXPECT_TRUE(b->WQSeries.empty());
        for (UINT id : {ID_WQ_SAVE_DATA, ID_WQ_GLOBAL_SETTINGS, ID_WQ_TRANSIENT_SIMULATION, ID_WQ_LOAD_DATABASE_SOLUTION})
            EXPECT_FALSE(Enabled(id)) << id;
        EXPECT_EQ(Update(ID_WQ_OPEN_DATA).m_check.value_or(1), 0);

        ASSERT_EQ(save(folder_ / "after.vqx"), WriteOk);
        EXPECT_EQ(ReadFile(folder_ / "after.vqx"), ReadFile(folder_ / "before.vqx"));
    }
}

// For each water-quality type: its own settings dialog; Cancel and a field that does not
// parse change nothing; OK takes the edited fields, keeps the others exactly (a value with
// more digits than the field shows included), and the saved file differs in the edited
// numbers only and reads back with them.
TEST_F(WaterQualityTest, EachTypesSettingsDialogEditsItsCoefficientsAndNothingElse)
{
    struct Edit {
        int field;
        const char* text;
    };
    struct Case {
        fs::path model, wq;
        const char* dialog;
        std::vector<Edit> edits;
        double ModelControl::* exact;  // a value with more digits than "%.15g" keeps
        int numberField;  // a number field for the texts that do not parse
    };
    const Case cases[] = {
        {Example("sample-river.vqx"), Example("sample-river.nu"), "CWQGlobalSettingsDlg", {{1254, "0.375"}},
         &ModelControl::Ks, 1299},
        {Example("sample-network.vqx"), Example("sample-network.hm"), "CHMGlobalSettingsDlg", {{1265, "0.625"}},
         &ModelControl::Kw, 1303},
        {Example("sample-network.vqx"), Data("sample-network.xe"), "CXEGlobalSettingsDlg",
         {{1351, "0.0425"}, {1370, "1"}}, &ModelControl::Khsw, 1388},
    };
    const double moreDigits = 0.1 + 0.2;  // shown as 0.3
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dialog);
        ASSERT_TRUE(Open(c.model));
        ASSERT_TRUE(OpenWQ(c.wq).empty());
        CVasquilDoc* doc = Doc();
        g_ModelControl.*c.exact = moreDigits;
        const fs::path before = folder_ / (std::string("before") + c.wq.extension().string());
        const fs::path after = folder_ / (std::string("after") + c.wq.extension().string());
        fs::remove(before);
        fs::remove(after);
        ASSERT_TRUE(SaveWQ(before).empty());
        EXPECT_EQ(doc->WaterQualityPath, before);
        const WaterQualityCoefficients unedited = [] {
            WaterQualityCoefficients v;
#define VASQUIL_COPY(type, name) v.name = g_ModelControl.name;
            VASQUIL_WQ_COEFFICIENTS(VASQUIL_COPY)
#undef VASQUIL_COPY
            return v;
        }();
        const auto engineUnchanged = [&] {
            return std::memcmp(&unedited, &doc->State->WQCoefficients, sizeof unedited) == 0 &&
                   g_ModelControl.*c.exact == moreDigits;
        };

        // Cancel after edits.
        std::string kind;
        std::vector<std::string> shown = Settings(
            [&](CDialog& d) {
                for (const Edit& e : c.edits) Type(&d, e.field, e.text);
                Press(&d, IDCANCEL);
            },
            &kind);
        EXPECT_EQ(kind, c.dialog);
        EXPECT_TRUE(shown.empty());
        EXPECT_TRUE(engineUnchanged());

        // Texts that do not parse: the framework's message, the dialog stays open, nothing taken.
        for (const char* bad : {"abc", "inf", "nan", "1e999", "", "1,5"}) {
            SCOPED_TRACE(bad);
            bool stayedOpen = false;
            shown = Settings([&](CDialog& d) {
                for (const Edit& e : c.edits) Type(&d, e.field, e.text);
                Type(&d, c.numberField, bad);
                Press(&d, IDOK);
                stayedOpen = d.GetSafeHwnd() != nullptr && d.IsWindowVisible();
                Press(&d, IDCANCEL);
            });
            EXPECT_TRUE(stayedOpen);
            ASSERT_EQ(shown.size(), 1u);
            EXPECT_EQ(shown[0], "Enter a number.");
            EXPECT_TRUE(engineUnchanged());
        }
        if (std::string(c.dialog) == "CXEGlobalSettingsDlg") {
            shown = Settings([&](CDialog& d) {
                Type(&d, 1369, "0.5");
                Press(&d, IDOK);
                Press(&d, IDCANCEL);
            });
            ASSERT_EQ(shown.size(), 1u);
            EXPECT_EQ(shown[0], "Enter an integer.");
            EXPECT_TRUE(engineUnchanged());
        }

        // OK with the edits.
        shown = Settings([&](CDialog& d) {
            for (const Edit& e : c.edits) Type(&d, e.field, e.text);
            Press(&d, IDOK);
        });
        EXPECT_TRUE(shown.empty());
        EXPECT_EQ(g_ModelControl.*c.exact, moreDigits);
        ASSERT_TRUE(SaveWQ(after).empty());

        // The edited numbers are all that differ.
        const std::vector<std::string> was = Lines(before), is = Lines(after);
        ASSERT_EQ(was.size(), is.size());
        std::vector<std::string> changed;
        for (std::size_t i = 0; i < was.size(); ++i) {
            if (was[i] == is[i]) continue;
            changed.push_back(is[i]);
            const std::vector<double> a = Numbers(was[i]), b = Numbers(is[i]);
            ASSERT_EQ(a.size(), 1u) << is[i];
            ASSERT_EQ(b.size(), 1u) << is[i];
        }
        ASSERT_EQ(changed.size(), c.edits.size());
        for (std::size_t k = 0; k < c.edits.size(); ++k)
            EXPECT_EQ(Numbers(changed[k])[0], std::stod(c.edits[k].text)) << changed[k];

        // The heavy metals' Ucrit is the nutrients' too.
        if (std::string(c.dialog) == "CHMGlobalSettingsDlg") {
            EXPECT_EQ(doc->State->WQCoefficients.Ucrit, 0.625);
        }
        // The saved file reads back with the edits: saved again, it is the same file.
        int read = 0;
        {
            QuietStdout quiet;
            read = LoadWQFile(after);
        }
        ASSERT_EQ(read, 0) << WQReaderRefusal();
        const fs::path again = folder_ / ("again" + c.wq.extension().string());
        fs::remove(again);
        ASSERT_EQ(SaveWQFile(again), WriteOk);
        EXPECT_EQ(ReadFile(again), ReadFile(after));
    }
}

// Save WQ Data replaces a file through a temporary one: a target that cannot be written
// is reported and whatever stood there stays.
TEST_F(WaterQualityTest, SaveWQDataReportsAFailureAndLeavesThePreviousFile)
{
    ASSERT_TRUE(Open(Example("sample-river.vqx")));
    ASSERT_TRUE(OpenWQ(Example("sample-river.nu")).empty());
    const fs::path folderTarget = folder_ / "a folder.nu";
    fs::create_directories(folderTarget);
    std::vector<std::string> shown = SaveWQ(folderTarget);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].rfind("The file was not saved: the water-quality file", 0), 0u) << shown[0];
    EXPECT_TRUE(fs::is_directory(folderTarget));
    EXPECT_EQ(Doc()->WaterQualityPath, Example("sample-river.nu"));

    // A file in a folder that cannot be written to: the previous content stays.
    const fs::path locked = folder_ / "locked";
    fs::create_directories(locked);
    std::ofstream(locked / "old.nu", std::ios::binary) << "previous";
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
    if (::access(locked.c_str(), W_OK) != 0) {  // not when the tests run as root
        shown = SaveWQ(locked / "old.nu");
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(ReadFile(locked / "old.nu"), "previous");
    }
    fs::permissions(locked, fs::perms::owner_all);
    EXPECT_TRUE(SaveWQ(folder_ / "saved.nu").empty());
    EXPECT_EQ(Doc()->WaterQualityPath, folder_ / "saved.nu");
    int read = 0;
    {
        QuietStdout quiet;
        read = LoadWQFile(folder_ / "saved.nu");
    }
    EXPECT_EQ(read, 0);
}

// The whole water-quality run through its dialog gives what vasquil-batch gives for the same
// model, file and final time: the hourly database rows, the hourly time series with the
// water-quality values, and the final water-quality state.
TEST_F(WaterQualityTest, AWholeRunThroughTheDialogGivesWhatTheBatchRunnerGives)
{
    struct Case {
        fs::path model, wq;
        const char* hours;
        int wqColumn;
    };
    const Case cases[] = {
        {Example("sample-river.vqx"), Example("sample-river.nu"), "24", NutrientColumn},
        {Example("sample-network.vqx"), Data("sample-network.xe"), "12", MetalColumn},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.wq.filename().string());
        const fs::path work = folder_ / c.wq.extension().string().substr(1);
        fs::create_directories(work);
        ASSERT_TRUE(Open(c.model));
        ASSERT_TRUE(OpenWQ(c.wq).empty());
        // The batch runner's results: stage, discharge, depth, velocity and width, and the
        // water-quality values, hourly; the database hourly.
        const std::vector<std::string> shown = OutputOptions([&](COutputOptionsDlg& d) {
            constexpr int Hourly = 5;
            Choose(d, IDC_OUT_SERIES, IDC_OUT_SERIES_BROWSE, work / "series.csv");
            Interval(d, IDC_OUT_SERIES_LIST, Hourly);
            for (int k : {0, 1, 13, 14, 15, c.wqColumn}) Tick(d, IDC_OUT_SERIES_VARIABLES[k]);
            Choose(d, IDC_OUT_DATABASE, IDC_OUT_DATABASE_BROWSE, work / "gui.db");
            Interval(d, IDC_OUT_DATABASE_LIST, Hourly);
        });
        ASSERT_TRUE(shown.empty()) << shown.front();

        CRunTransWQDlg* dialog = WaterQualityRun();
        ASSERT_NE(dialog, nullptr);
        ASSERT_EQ(dialog->Shown, 1);
        EXPECT_EQ(dialog->WaterQuality.On, 1);
        Type(dialog, IDC_TRANS_FINAL_TIME, c.hours);
        Press(dialog, IDC_RUN_BUTTON);
        EXPECT_EQ(Text(dialog, IDC_RUN_BUTTON), "Stop");
        EXPECT_FALSE(Enabled(ID_WQ_OPEN_DATA));  // nothing replaces the data under the run
        EXPECT_FALSE(Enabled(ID_WQ_GLOBAL_SETTINGS));
        ASSERT_TRUE(WaitForEnd(dialog));
        EXPECT_EQ(Text(dialog, IDC_RUN_BUTTON), "Run");
        EXPECT_DOUBLE_EQ(dialog->PresentTime, std::stod(c.hours));
        EXPECT_GT(dialog->WaterQuality.Iterations, 0);
        ASSERT_TRUE(SaveWQ(work / ("gui" + c.wq.extension().string())).empty());
        Press(dialog, IDCANCEL);

        const std::string command = std::string(VASQUIL_BATCH) + " run '" + model_.string() + "' --wq '" +
                                    c.wq.string() + "' --final-hours " + c.hours + " --db '" +
                                    (work / "batch.db").string() + "' --db-every-hours 1 --results '" +
                                    (work / "R").string() + "' --save-wq '" +
                                    (work / ("batch" + c.wq.extension().string())).string() + "' > /dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0);

        const std::vector<DatabaseRow> gui = ReadRows(work / "gui.db"), batch = ReadRows(work / "batch.db");
        ASSERT_EQ(gui.size(), batch.size());
        ASSERT_FALSE(gui.empty());
        for (std::size_t i = 0; i < gui.size(); ++i) {
            ASSERT_EQ(gui[i].node, batch[i].node);
            ASSERT_EQ(gui[i].time, batch[i].time);
            ASSERT_EQ(gui[i].values.size(), batch[i].values.size());
            for (std::size_t k = 0; k < gui[i].values.size(); ++k)
                ASSERT_TRUE(Close(gui[i].values[k], batch[i].values[k], 1e-9)) << i << " " << k;
        }

        // The time series rows (",,..." lines): the same numbers, hour by hour.
        const auto rows = [](const fs::path& path) {
            std::vector<std::vector<double>> found;
            for (const std::string& line : Lines(path))
                if (line.rfind(",,", 0) == 0) found.push_back(Numbers(line));
            return found;
        };
        const std::vector<std::vector<double>> guiSeries = rows(work / "series.csv");
        const std::vector<std::vector<double>> batchSeries =
            rows(work / "R" / (model_.stem().string() + " time series.csv"));
        ASSERT_EQ(guiSeries.size(), std::size_t(std::stoi(c.hours)) + 1);
        ASSERT_EQ(guiSeries.size(), batchSeries.size());
        for (std::size_t i = 0; i < guiSeries.size(); ++i) {
            ASSERT_EQ(guiSeries[i].size(), batchSeries[i].size());
            for (std::size_t k = 0; k < guiSeries[i].size(); ++k)
                ASSERT_TRUE(Close(guiSeries[i][k], batchSeries[i][k], 1e-9)) << i << " " << k;
        }
        EXPECT_NE(ReadFile(work / "series.csv").find(c.wqColumn == NutrientColumn ? "DO (mg/L)" : "Cdw (mg/L)"),
                  std::string::npos);

        // The final water-quality state, and it is not the initial one.
        const std::vector<double> guiState = Numbers(ReadFile(work / ("gui" + c.wq.extension().string())));
        const std::vector<double> batchState = Numbers(ReadFile(work / ("batch" + c.wq.extension().string())));
        ASSERT_EQ(guiState.size(), batchState.size());
        for (std::size_t k = 0; k < guiState.size(); ++k)
            ASSERT_TRUE(Close(guiState[k], batchState[k], 1e-9)) << k;
        EXPECT_NE(guiState, Numbers(ReadFile(c.wq)));
    }
}

// Stop during a water-quality run ends it after the step under way; the commands come back.
TEST_F(WaterQualityTest, StopEndsAWaterQualityRunAfterTheStepUnderWay)
{
    ASSERT_TRUE(Open(Example("sample-river.vqx")));
    ASSERT_TRUE(OpenWQ(Example("sample-river.nu")).empty());
    CRunTransWQDlg* dialog = WaterQualityRun();
    EXPECT_FALSE(Enabled(ID_SIMULATION_TRANSIENT));  // one run dialog at a time
    EXPECT_FALSE(Enabled(ID_SIMULATION_STEADY));
    int handled = 0;
    dialog->StepHandledHook = [&, dialog](int count) {
        handled = count;
        if (count == 3) Press(dialog, IDC_RUN_BUTTON);
    };
    Type(dialog, IDC_TRANS_FINAL_TIME, "100");
    Press(dialog, IDC_RUN_BUTTON);
    EXPECT_EQ(Doc()->RunActive, 1);
    ASSERT_TRUE(WaitForEnd(dialog));
    EXPECT_EQ(handled, 3);
    EXPECT_EQ(Text(dialog, IDC_RUN_BUTTON), "Run");
    EXPECT_TRUE(IsEnabled(dialog, IDC_RUN_BUTTON));
    EXPECT_EQ(Doc()->RunActive, 0);
    EXPECT_LT(dialog->PresentTime, 100.0);
    EXPECT_GT(dialog->PresentTime, 0.0);
    EXPECT_TRUE(Enabled(ID_WQ_SAVE_DATA));
    dialog->StepHandledHook = nullptr;
    Press(dialog, IDCANCEL);
    EXPECT_EQ(dialog->Shown, 0);
    EXPECT_TRUE(Enabled(ID_SIMULATION_TRANSIENT));
}

// A solution database relabels the run dialog's hydrodynamic solution and greys its group;
// one that does not open is refused and closed, and what was held before stays.
TEST_F(WaterQualityTest, ASolutionDatabaseRelabelsTheRunDialogAndOneThatFailsChangesNothing)
{
    ASSERT_TRUE(Open(Example("sample-river.vqx")));
    ASSERT_TRUE(OpenWQ(Example("sample-river.nu")).empty());
    CRunTransWQDlg* dialog = WaterQualityRun();
    ASSERT_EQ(dialog->AdditionalExists, 0);
    const std::string caption = dialog->SolutionCaption;
    const auto expectSource = [&](bool fromDatabase) {
        EXPECT_EQ(Text(dialog, IDC_WQRUN_HYDRO_CAPTION),
                  fromDatabase ? "Hydrodynamic Solution From Database" : "Hydrodynamic Solution");
        EXPECT_EQ(Text(dialog, IDC_TRANS_ADDITIONAL_CAPTION), caption);  // no additional process
        for (int id : {IDC_TRANS_HYDRO_THETA, IDC_TRANS_HYDRO_TOLERANCE, IDC_TRANS_HYDRO_MAX_ITERATIONS,
                       IDC_TRANS_HYDRO_THETA_LABEL})
            EXPECT_EQ(IsEnabled(dialog, id), !fromDatabase) << id;
        EXPECT_TRUE(IsEnabled(dialog, IDC_WQRUN_THETA));  // the water quality is solved either way
        EXPECT_FALSE(IsEnabled(dialog, IDC_TRANS_ADDITIONAL));
    };
    expectSource(false);
    EXPECT_FALSE(Enabled(ID_WQ_USE_DATABASE_SOLUTION));
    // Without a database the command does nothing.
    Command(ID_WQ_USE_DATABASE_SOLUTION);
    EXPECT_EQ(Doc()->UseDatabaseSolution, 0);

    const fs::path good = folder_ / "solution.db";
    ASSERT_EQ(CreateResultsDatabase(good.c_str()), 0);
    files_.answers.push_back(good);
    {
        MessageBoxSink boxes;
        Command(ID_WQ_LOAD_DATABASE_SOLUTION);
        EXPECT_TRUE(boxes.shown.empty());
    }
    CVasquilDoc* doc = Doc();
    ASSERT_NE(doc->SolutionDatabase, nullptr);
    EXPECT_EQ(doc->SolutionDatabasePath, good);
    EXPECT_EQ(doc->UseDatabaseSolution, 1);
    EXPECT_TRUE(Enabled(ID_WQ_USE_DATABASE_SOLUTION));
    EXPECT_EQ(Update(ID_WQ_USE_DATABASE_SOLUTION).m_check.value_or(0), 1);
    expectSource(true);
    Command(ID_WQ_USE_DATABASE_SOLUTION);
    EXPECT_EQ(doc->UseDatabaseSolution, 0);
    EXPECT_EQ(Update(ID_WQ_USE_DATABASE_SOLUTION).m_check.value_or(1), 0);
    expectSource(false);

    // Not a database, and a path where nothing stands: refused, the held one kept.
    std::ofstream(folder_ / "text.db", std::ios::binary) << "these are not the pages of a database, only words\n";
    sqlite3* held = doc->SolutionDatabase;
    for (const fs::path& bad : {folder_ / "text.db", folder_ / "gone" / "x.db"}) {
        SCOPED_TRACE(bad.string());
        files_.answers.push_back(bad);
        MessageBoxSink boxes;
        Command(ID_WQ_LOAD_DATABASE_SOLUTION);
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text.rfind("Can't open database.\n", 0), 0u) << boxes.shown[0].text;
        EXPECT_EQ(doc->SolutionDatabase, held);
        EXPECT_EQ(doc->SolutionDatabasePath, good);
        EXPECT_EQ(doc->UseDatabaseSolution, 0);
        expectSource(false);
    }
    EXPECT_FALSE(fs::exists(folder_ / "gone"));
    // The held database still answers.
    EXPECT_EQ(sqlite3_exec(doc->SolutionDatabase, "SELECT count(*) FROM time_series", nullptr, nullptr, nullptr), SQLITE_OK);
    Press(dialog, IDCANCEL);
}

}  // namespace
