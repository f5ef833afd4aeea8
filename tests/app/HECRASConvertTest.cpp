// The Convert HEC-RAS Geometry File command as a user drives it: the converter dialog, the
// question about a file of several reaches, the status bar and the messages, then the new file
// opened through File Open and run steady.
#include "RunTestSupport.h"

#include "app/HECRASConvertDlg.h"
#include "datalib/DisplayModel.h"

#include <QCursor>
#include <QGuiApplication>

using namespace run_test;

namespace {

constexpr CalendarDate FixtureDate = {2024, 3, 4, 9, 15, 0};

class HECRASConvertTest : public RunTest
{
protected:
    void SetUp() override
    {
        RunTest::SetUp();
        Doc()->Clock = [] { return FixtureDate; };
    }
    std::string Pane() const { return Frame()->StatusBar.GetPaneText(0); }
    static std::filesystem::path Geometry() { return Example("sample-geometry.g01"); }
    // Runs the command with the dialog played by script.
    void Convert(std::function<void(CDialog&)> script)
    {
        ModalDialogInterceptor interceptor;
        interceptor.scripts.push_back(std::move(script));
        QuietStdout quiet;
        Command(ID_FILE_CONVERT_HECRAS);
        EXPECT_EQ(interceptor.shown, std::vector<UINT>{IDD_HECRAS_CONVERT});
    }
    // The user's way through the dialog: both Browse buttons, the numbers, Convert.
    std::function<void(CDialog&)> FillIn(const std::filesystem::path& geometry, const std::filesystem::path& model,
                                         const char* depth, const char* discharge)
    {
        return [this, geometry, model, depth, discharge](CDialog& live) {
            files_.answers = {geometry, model};
            Press(&live, IDC_HECRAS_GEOMETRY_BROWSE);
            Press(&live, IDC_HECRAS_OUTPUT_BROWSE);
            Type(&live, IDC_HECRAS_DEPTH, depth);
            Type(&live, IDC_HECRAS_DISCHARGE, discharge);
            Press(&live, IDOK);
        };
    }
    static bool Checked(CDialog& dialog, int id) { return static_cast<CButton*>(dialog.GetDlgItem(id))->GetCheck() == BST_CHECKED; }
};

// The dialog's fields, its two file dialogs, the unit radios that keep what was typed, and the
// messages of Convert in their order.
TEST_F(HECRASConvertTest, TheDialogAsAUserFillsIt)
{
    MessageBoxSink boxes;
    const std::filesystem::path model = folder_ / "bow.vqx";
    Convert([&](CDialog& live) {
        CDialog* d = &live;
        EXPECT_EQ(live.GetWindowText(), "HEC-RAS Geometry File Converter Dialog");
        EXPECT_EQ(Text(d, IDOK), "Convert");
        for (int id : {IDC_HECRAS_GEOMETRY_PATH, IDC_HECRAS_OUTPUT_PATH}) EXPECT_EQ(Text(d, id), "");
        EXPECT_EQ(Text(d, IDC_HECRAS_LENGTH_UNIT), "m");
        EXPECT_EQ(Text(d, IDC_HECRAS_DISCHARGE_UNIT), "cms");
        EXPECT_EQ(Text(d, IDC_HECRAS_DEPTH), "0");
        EXPECT_EQ(Text(d, IDC_HECRAS_DISCHARGE), "0");
        EXPECT_TRUE(Checked(live, IDC_HECRAS_METRIC));
        EXPECT_FALSE(Checked(live, IDC_HECRAS_IMPERIAL));

        // Convert asks for the geometry file first, then for the model file.
        Press(d, IDOK);
        files_.answers = {Geometry()};
        Press(d, IDC_HECRAS_GEOMETRY_BROWSE);
        EXPECT_EQ(Text(d, IDC_HECRAS_GEOMETRY_PATH), Geometry().string());
        Press(d, IDOK);

        // Imperial and Metric keep a typed depth and discharge and change the unit texts.
        Type(d, IDC_HECRAS_DEPTH, "2");
        Type(d, IDC_HECRAS_DISCHARGE, "35.5");
        Press(d, IDC_HECRAS_IMPERIAL);
        EXPECT_EQ(Text(d, IDC_HECRAS_DEPTH), "2");
        EXPECT_EQ(Text(d, IDC_HECRAS_DISCHARGE), "35.5");
        EXPECT_EQ(Text(d, IDC_HECRAS_LENGTH_UNIT), "ft");
        EXPECT_EQ(Text(d, IDC_HECRAS_DISCHARGE_UNIT), "cfs");
        EXPECT_TRUE(Checked(live, IDC_HECRAS_IMPERIAL));
        EXPECT_EQ(static_cast<CHECRASConvertDlg&>(live).UnitChoice, 0);
        Press(d, IDC_HECRAS_METRIC);
        EXPECT_EQ(Text(d, IDC_HECRAS_DEPTH), "2");
        EXPECT_EQ(Text(d, IDC_HECRAS_LENGTH_UNIT), "m");
        EXPECT_EQ(Text(d, IDC_HECRAS_DISCHARGE_UNIT), "cms");
        EXPECT_EQ(static_cast<CHECRASConvertDlg&>(live).UnitChoice, 1);

        // A depth that does not parse stays as typed while the units change.
        Type(d, IDC_HECRAS_DEPTH, "deep");
        Press(d, IDC_HECRAS_IMPERIAL);
        EXPECT_EQ(Text(d, IDC_HECRAS_DEPTH), "deep");
        EXPECT_EQ(Text(d, IDC_HECRAS_LENGTH_UNIT), "ft");

        files_.answers = {model};
        Type(d, IDC_HECRAS_DEPTH, "0");
        Press(d, IDC_HECRAS_OUTPUT_BROWSE);
        EXPECT_EQ(Text(d, IDC_HECRAS_OUTPUT_PATH), model.string());
        EXPECT_EQ(Text(d, IDC_HECRAS_GEOMETRY_PATH), Geometry().string());
        Press(d, IDOK);  // a depth of 0
        Press(d, IDCANCEL);
    });
    std::vector<std::string> texts;
    for (const MessageBoxRequest& r : boxes.shown) texts.push_back(r.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"Please select a HEC-RAS geometry file.",
                                               "Please select a name and location for the new Vasquil file.",
                                               "Enter a number.", "The initial depth must be greater than 0."}));

    ASSERT_EQ(files_.requests.size(), 2u);
    const FileDialogRequest& open = files_.requests[0];
    EXPECT_EQ(open.kind, FileDialogRequest::Kind::Open);
    EXPECT_EQ(open.defaultExtension, "g*");
    EXPECT_EQ(open.flags, 6150u);
    EXPECT_EQ(open.filters, (std::vector<std::pair<std::string, std::string>>{{"Geometry files (*.g*)", "*.g*"},
                                                                              {"All Files", "*.*"}}));
    const FileDialogRequest& save = files_.requests[1];
    EXPECT_EQ(save.kind, FileDialogRequest::Kind::Save);
    EXPECT_EQ(save.defaultExtension, "vqx");
    EXPECT_EQ(save.flags, 6150u);
    EXPECT_EQ(save.filters, (std::vector<std::pair<std::string, std::string>>{{"Vasquil files (*.vqx)", "*.VQX"},
                                                                              {"All Files", "*.*"}}));
    // Cancel: nothing converted.
    EXPECT_FALSE(std::filesystem::exists(model));
    EXPECT_EQ(Pane(), "Ready");
}

// The sample geometry holds two reaches: the question comes without the wait cursor while the
// status bar says the conversion goes on; the notes close it. The open model stays; the new
// file opens through File Open and runs steady to the discharge at every node.
TEST_F(HECRASConvertTest, ConvertsTheFirstReachThenTheModelOpensAndRunsSteady)
{
    ASSERT_TRUE(Open(Example("sample-river.vqx")));
    const auto* display = Doc()->DisplayModel.get();
    const std::filesystem::path model = folder_ / "bow.vqx";

    MessageBoxSink boxes;
    std::vector<std::string> panes;
    std::vector<bool> waiting;
    boxes.onShow = [&](const MessageBoxRequest&) {
        panes.push_back(Pane());
        waiting.push_back(QGuiApplication::overrideCursor() != nullptr);
    };
    Convert(FillIn(Geometry(), model, "2", "50"));
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].text, "The geometry file holds 2 reaches; only \"Bow River,Upper\" is converted. Go on?");
    EXPECT_EQ(boxes.shown[0].buttons, UINT(MB_YESNO));
    EXPECT_EQ(boxes.shown[1].text, "Reach \"Bow River,Upper\": 6 cross sections converted into nodes 1 to 6.\n"
                                   "Left out: reach \"Bow River,Lower\" with 3 cross sections.\n"
                                   "Left out: junction \"Bow Forks\" (line 160).\n"
                                   "Left out: structure of type 3 at river station 1.3 (line 76).\n"
                                   "The nodes lie at the first points of the cross sections' cut lines.");
    EXPECT_EQ(panes, (std::vector<std::string>{"Converting HEC-RAS Geometry...", "Conversion complete!"}));
    EXPECT_EQ(waiting, (std::vector<bool>{false, false}));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(Doc()->DisplayModel.get(), display);
    EXPECT_EQ(Doc()->GetPathName(), model_);
    EXPECT_NE(ReadFile(model).find(" Simulation Start DateTime (YYYY MM DD HH MM SS) = 2024 03 04 09 15 00\n"),
              std::string::npos);

    // File > Open of the new model, then a steady run of 40 passes.
    files_.answers = {model};
    {
        QuietStdout quiet;
        Command(ID_FILE_OPEN);
    }
    ASSERT_EQ(Doc()->GetPathName(), model);
    ASSERT_NE(Doc()->DisplayModel, nullptr);
    EXPECT_EQ(Doc()->DisplayModel->NodeList.Count, 6);
    CRunSteadyDlg* steady = Steady();
    Type(steady, IDC_STEADY_FINAL_STEP, "40");
    Press(steady, IDC_RUN_BUTTON);
    ASSERT_TRUE(WaitForEnd(steady));
    EXPECT_EQ(steady->PresentStep, 40);
    const NodeRecord* last = nullptr;
    for (const NodeRecord* n = g_Nodes; n; n = n->Next) {
        EXPECT_NEAR(n->FluxDischarge, 50.0, 1e-9) << n->Number;
        last = n;
    }
    ASSERT_NE(last, nullptr);
    // The outlet at the last section's thalweg (99 m) plus the depth, its boundary stage.
    EXPECT_NEAR(last->Stage, 101.0, 1e-4);
}

// No to the question writes nothing; a file that does not convert names its reason and leaves
// the file at the model's path as it was.
TEST_F(HECRASConvertTest, NoToTheQuestionOrAFailureWritesNothing)
{
    MessageBoxSink boxes;
    const std::filesystem::path model = folder_ / "bow.vqx";
    boxes.answers = {IDNO};
    Convert(FillIn(Geometry(), model, "2", "50"));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(Pane(), "Conversion cancelled.");
    EXPECT_FALSE(std::filesystem::exists(model));

    boxes.shown.clear();
    {
        std::ofstream(model) << "an older model\n";
        std::ofstream(folder_ / "one.g01") << "Type RM Length L Ch R = 1 ,5       ,100,100,100\r\n#Sta/Elev= 2 \r\n"
                                              "       0     101      10     101\r\n#Mann= 3 , 0 , 0 \r\n"
                                              "       0     .05       0       0     .03       0      10     .05       0\r\n";
    }
    files_.answers.clear();
    Convert(FillIn(folder_ / "one.g01", model, "1", "5"));
    // The question before replacing the older model, then the failure.
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[1].text, "The HEC-RAS geometry file could not be converted: the reach (unnamed) holds 1 cross "
                                   "section; a model needs two or more.");
    EXPECT_EQ(boxes.shown[1].icon, UINT(MB_ICONSTOP));
    EXPECT_EQ(Pane(), "Conversion failed.");
    EXPECT_EQ(ReadFile(model), "an older model\n");
    EXPECT_EQ(Doc()->DisplayModel, nullptr);
}

// A file of many structures: the message lists the first twenty notes and how many more.
TEST_F(HECRASConvertTest, AMessageListsTwentyNotesAtMost)
{
    const std::string section = "#Sta/Elev= 3 \n       0     103      10     100      20     103\n#Mann= 3 , 0 , 0 \n"
                                "       0     .05       0       0     .03       0      20     .05       0\n";
    std::string text = "Type RM Length L Ch R = 1 ,30      ,100,100,100\n" + section;
    for (int k = 0; k < 25; ++k) text += "Type RM Length L Ch R = 3 ," + std::to_string(29 - k) + "      ,10,10,10\n";
    text += "Type RM Length L Ch R = 1 ,1       ,0,0,0\n" + section;
    std::ofstream(folder_ / "bridges.g01") << text;
    MessageBoxSink boxes;
    Convert(FillIn(folder_ / "bridges.g01", folder_ / "bridges.vqx", "1", "5"));
    ASSERT_EQ(boxes.shown.size(), 1u);
    const std::string& shown = boxes.shown[0].text;
    EXPECT_EQ(std::count(shown.begin(), shown.end(), '\n'), 20);
    EXPECT_NE(shown.find("Left out: structure of type 3 at river station 29 (line 6)."), std::string::npos);
    EXPECT_EQ(shown.substr(shown.rfind('\n') + 1), "... and 7 more.");  // 27 notes
}

}  // namespace
