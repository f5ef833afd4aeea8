// The New command: the New File dialog as a user fills it, the file it writes (byte for byte,
// in any locale), the model it opens, and what it refuses.
#include "DocumentTestSupport.h"

#include "app/NewFileDlg.h"
#include "datalib/DisplayModel.h"
#include "datalib/DisplayNode.h"
#include "platform/Dialog.h"
#include "platform/TestHooks.h"
#include "resources/ResourceIds.h"

#include <QLineEdit>
#include <QPalette>

#include <cmath>
#include <cstdio>
#include <sstream>

using namespace document_test;
using VQXDisplayLib::VQXDisplayNode;

namespace {

constexpr CalendarDate FixtureDate = {2024, 5, 6, 7, 8, 9};

struct Field
{
    int id;
    const char* text;
};

// Plays the user: browses for the file (when browse is set), types the fields and presses
// Create; the dialog must then have ended unless stays is set, in which case Cancel ends it.
std::function<void(CDialog&)> FillIn(std::vector<Field> fields, bool browse, bool stays = false)
{
    return [fields, browse, stays](CDialog& live) {
        if (browse) static_cast<CButton*>(live.GetDlgItem(IDC_NEW_BROWSE))->Click();
        for (const Field& f : fields) live.GetDlgItem(f.id)->SetWindowText(f.text);
        live.SendMessage(WM_COMMAND, IDOK, 0);
        const bool open = live.IsWindowVisible();  // an ended dialog is hidden
        EXPECT_EQ(open, stays);
        if (open) live.SendMessage(WM_COMMAND, IDCANCEL, 0);
    };
}

class NewFileTest : public DocumentTest
{
protected:
    void SetUp() override
    {
        DocumentTest::SetUp();
        Document()->Clock = [] { return FixtureDate; };
    }
    // Runs New with the dialog played by script and the Browse dialog answering path.
    void New(std::function<void(CDialog&)> script, const std::filesystem::path& path)
    {
        interceptor.scripts.push_back(std::move(script));
        files.answers = {path};
        Command(ID_FILE_NEW);
    }

    ModalDialogInterceptor interceptor;
    FileDialogProvider files;
    MessageBoxSink boxes;
};

std::string Fixed3(double v)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", v);
    return text;
}

// The tab-separated fields of a line (the first, before the leading tab, is empty).
std::vector<std::string> Fields(const std::string& line)
{
    std::vector<std::string> fields;
    std::stringstream in(line);
    for (std::string f; std::getline(in, f, '\t');) fields.push_back(f);
    return fields;
}

TEST_F(NewFileTest, TheDialogShowsTheDefaultsAndBrowseKeepsWhatWasTyped)
{
    interceptor.scripts.push_back([this](CDialog& live) {
        const Field defaults[] = {
            {IDC_NEW_BOTTOM_WIDTH, "100"}, {IDC_NEW_BANK_HEIGHT, "20"},      {IDC_NEW_SIDE_SLOPE, "1"},
            {IDC_NEW_INFLOW_INVERT, "5"},  {IDC_NEW_OUTFLOW_INVERT, "0"},    {IDC_NEW_ROUGHNESS, "0.025"},
            {IDC_NEW_SPACING, "0.1"},      {IDC_NEW_NODE_COUNT, "101"},      {IDC_NEW_INFLOW_DISCHARGE, "300"},
            {IDC_NEW_OUTFLOW_STAGE, "2"},  {IDC_NEW_PATH, ""},
        };
        for (const Field& f : defaults) EXPECT_EQ(live.GetDlgItem(f.id)->GetWindowText(), f.text) << f.id;
        EXPECT_EQ(live.GetWindowText(), "New File Dialog");
        EXPECT_EQ(live.GetDlgItem(IDOK)->GetWindowText(), "Create");
        // The path, which only Browse fills, is read-only and drawn so.
        auto* path = qobject_cast<QLineEdit*>(live.GetDlgItem(IDC_NEW_PATH)->GetWidget());
        ASSERT_NE(path, nullptr);
        EXPECT_TRUE(path->isReadOnly());
        EXPECT_EQ(path->palette().color(QPalette::Base), live.GetWidget()->palette().color(QPalette::Window));

        live.GetDlgItem(IDC_NEW_BOTTOM_WIDTH)->SetWindowText("50");
        static_cast<CButton*>(live.GetDlgItem(IDC_NEW_BROWSE))->Click();
        EXPECT_EQ(live.GetDlgItem(IDC_NEW_BOTTOM_WIDTH)->GetWindowText(), "50");
        EXPECT_EQ(live.GetDlgItem(IDC_NEW_PATH)->GetWindowText(), (folder_ / "chosen.vqx").string());
        static_cast<CButton*>(live.GetDlgItem(IDC_NEW_BROWSE))->Click();  // cancelled: the path stays
        EXPECT_EQ(live.GetDlgItem(IDC_NEW_PATH)->GetWindowText(), (folder_ / "chosen.vqx").string());
        live.SendMessage(WM_COMMAND, IDCANCEL, 0);
    });
    files.answers = {folder_ / "chosen.vqx", std::nullopt};
    Command(ID_FILE_NEW);
    ASSERT_EQ(interceptor.shown, std::vector<UINT>{IDD_NEW_FILE});
    ASSERT_EQ(files.requests.size(), 2u);
    const FileDialogRequest& request = files.requests[0];
    EXPECT_EQ(request.kind, FileDialogRequest::Kind::Save);
    EXPECT_EQ(request.defaultExtension, "vqx");
    EXPECT_EQ(request.flags, 6150u);
    ASSERT_EQ(request.filters.size(), 2u);
    EXPECT_EQ(request.filters[0], (std::pair<std::string, std::string>{"Vasquil files (*.vqx)", "*.VQX"}));
    EXPECT_EQ(request.filters[1], (std::pair<std::string, std::string>{"All Files", "*.*"}));
    // Cancel: nothing written, nothing opened.
    EXPECT_FALSE(std::filesystem::exists(folder_ / "chosen.vqx"));
    EXPECT_EQ(Document()->DisplayModel, nullptr);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(NewFileTest, FiveNodesGiveTheFileOfTheNewCommandByteForByteInAnyLocale)
{
    const std::string expected = Fixture("new-command.vqx");
    New(FillIn({{IDC_NEW_NODE_COUNT, "5"}}, true), folder_ / "new.vqx");
    EXPECT_EQ(ReadBytes((folder_ / "new.vqx").string()), expected);
    EXPECT_EQ(Document()->GetPathName(), folder_ / "new.vqx");
    EXPECT_EQ(Caption(), "new.vqx - Vasquil");
    ASSERT_NE(Document()->DisplayModel, nullptr);
    EXPECT_EQ(Document()->DisplayModel->NodeList.Count, 5);

    modelfiles_test::CommaLocale comma;
    if (!comma.Active()) GTEST_SKIP() << "no comma-decimal locale on this machine";
    New(FillIn({{IDC_NEW_NODE_COUNT, "5"}}, true), folder_ / "komma.vqx");
    EXPECT_EQ(ReadBytes((folder_ / "komma.vqx").string()), expected);
}

TEST_F(NewFileTest, TheDefaultsGiveAHundredAndOneNodesOnAUniformSlopeAndOpenThem)
{
    New(FillIn({}, true), folder_ / "channel.vqx");
    ASSERT_TRUE(boxes.shown.empty());

    // The file: every node row and its cross section, from the shape alone.
    std::stringstream text(ReadBytes((folder_ / "channel.vqx").string()));
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);) lines.push_back(line);
    int nodes = 0;
    for (std::size_t k = 0; k < lines.size(); ++k) {
        const std::vector<std::string> f = Fields(lines[k]);
        if (f.size() != 14 || f[3] != "-100") continue;  // a node row: 13 values after the tab
        const int i = nodes++;
        const double bed = 5.0 - 0.05 * i;
        SCOPED_TRACE(lines[k]);
        EXPECT_EQ(f[1], std::to_string(i + 1));
        EXPECT_EQ(f[5], Fixed3(100.0 * i));  // easting, m
        EXPECT_EQ(f[7], Fixed3(0.1 * i));    // station, km
        EXPECT_EQ(f[8], Fixed3(bed));
        EXPECT_EQ(f[10], "104.000");
        EXPECT_EQ(f[11], i == 0 || i == 100 ? "0" : "1");
        EXPECT_EQ(f[12], Fixed3(bed + 2.0));
        EXPECT_EQ(f[13], "300.000");
        ASSERT_LT(k + 4, lines.size());
        EXPECT_EQ(lines[k + 1], "\t4\t0.000\t140.000");
        EXPECT_EQ(lines[k + 2], "\t0.000\t" + Fixed3(bed + 20) + "\t20.000\t" + Fixed3(bed) + "\t120.000\t" +
                                    Fixed3(bed) + "\t140.000\t" + Fixed3(bed + 20));
        EXPECT_EQ(lines[k + 3], "\t1\t" + Fixed3(bed) + "\t0.025\t0.025\t0.025");
        EXPECT_EQ(lines[k + 4], "\t1\t" + Fixed3(bed) + "\t1");
    }
    EXPECT_EQ(nodes, 101);

    // The model opened from it: water 2 m deep over the bed, 104 m wide at the surface of the
    // trapezoid (bottom 100 m, side slopes 1:1), a discharge boundary at the first node and a
    // stage boundary at the last, 100 elements between them.
    CVasquilDoc* doc = Document();
    ASSERT_NE(doc->DisplayModel, nullptr);
    EXPECT_EQ(doc->GetPathName(), folder_ / "channel.vqx");
    EXPECT_EQ(Caption(), "channel.vqx - Vasquil");
    VQXDisplayLib::VQXDisplayModel& model = *doc->DisplayModel;
    EXPECT_EQ(model.NodeList.Count, 101);
    EXPECT_EQ(model.InteriorList.Count, 100);
    int i = 0;
    for (VQXDisplayNode* node = model.FirstNode(); node; node = model.NextNode(), ++i) {
        EXPECT_NEAR(node->Invert, 5.0 - 0.05 * i, 1e-9) << i;
        EXPECT_NEAR(node->Stage - node->Invert, 2.0, 1e-9) << i;
        EXPECT_NEAR(node->Width, 104.0, 1e-9) << i;
        EXPECT_NEAR(node->Station, 0.1 * i, 1e-12) << i;
    }
    struct Boundary
    {
        int node;
        int kind;
        double discharge;
        double stage;
    };
    const Boundary expected[] = {{1, 0, 300.0, 0.0}, {101, 2, 0.0, 2.0}};
    ASSERT_EQ(model.BoundaryList.Count, 2);
    const Boundary* b = expected;
    for (auto* element = model.FirstBoundaryElement(); element; element = model.NextBoundaryElement(), ++b) {
        EXPECT_EQ(element->Node()->Number, b->node);
        EXPECT_EQ(element->Kind, b->kind);
        ASSERT_EQ(element->FlowSeries.size(), 2u);
        EXPECT_EQ(element->FlowSeries[1].Time, 100000.0);
        for (const VQXDisplayLib::VQXTimeSeriesEntry& entry : element->FlowSeries) {
            EXPECT_EQ(entry.Discharge, b->discharge);
            EXPECT_EQ(entry.Stage, b->stage);
        }
    }
    EXPECT_EQ(doc->OutputNodeLabels,
              (std::vector<std::string>{"1, RS 0.00, x = 0.000 km", "101, RS 0.00, x = 10.000 km"}));
}

TEST_F(NewFileTest, CreateRefusesWhatMakesNoModelAndTheDialogStaysOpen)
{
    struct Case
    {
        const char* name;
        std::vector<Field> fields;
        bool browse;
        const char* message;
    };
    const Case cases[] = {
        {"no file chosen", {}, false, "Please select a name and location for the new Vasquil file."},
        {"one node", {{IDC_NEW_NODE_COUNT, "1"}}, true, "The number of nodes must be 2 or more."},
        {"no node", {{IDC_NEW_NODE_COUNT, "0"}}, true, "The number of nodes must be 2 or more."},
        {"negative nodes", {{IDC_NEW_NODE_COUNT, "-3"}}, true, "The number of nodes must be 2 or more."},
        {"no spacing", {{IDC_NEW_SPACING, "0"}}, true, "The discretization must be greater than 0 km."},
        {"negative spacing", {{IDC_NEW_SPACING, "-0.1"}}, true, "The discretization must be greater than 0 km."},
        {"a word for the nodes", {{IDC_NEW_NODE_COUNT, "abc"}}, true, "Enter an integer."},
        {"a word for the width", {{IDC_NEW_BOTTOM_WIDTH, "wide"}}, true, "Enter a number."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        boxes.shown.clear();
        New(FillIn(c.fields, c.browse, true), folder_ / "refused.vqx");
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text, c.message);
        EXPECT_FALSE(std::filesystem::exists(folder_ / "refused.vqx"));
        EXPECT_EQ(Document()->DisplayModel, nullptr);
    }
}

TEST_F(NewFileTest, AFileThatCannotBeWrittenIsReportedAndNothingIsOpened)
{
    const std::filesystem::path river = Copy("ft0-metric.vqx", "river.vqx");
    ASSERT_TRUE(Open(river));
    const VQXDisplayLib::VQXDisplayModel* display = Document()->DisplayModel.get();
    std::filesystem::create_directory(folder_ / "taken.vqx");
    struct Case
    {
        const char* name;
        std::filesystem::path path;
        std::vector<Field> fields;
        const char* message;
    };
    const Case cases[] = {
        {"a directory", folder_ / "taken.vqx", {}, "is a directory; only a regular file can be replaced"},
        {"a missing folder", folder_ / "missing" / "new.vqx", {}, "cannot write the new model file"},
        {"numbers beyond a double", folder_ / "huge.vqx", {{IDC_NEW_BOTTOM_WIDTH, "1e308"}, {IDC_NEW_SIDE_SLOPE, "1e308"}},
         "too large"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        boxes.shown.clear();
        New(FillIn(c.fields, true), c.path);
        ASSERT_FALSE(boxes.shown.empty());  // after the question whether to replace what stands there
        EXPECT_NE(boxes.shown.back().text.find(c.message), std::string::npos) << boxes.shown.back().text;
        EXPECT_FALSE(std::filesystem::is_regular_file(c.path));
        EXPECT_EQ(Document()->DisplayModel.get(), display);
        EXPECT_EQ(Document()->GetPathName(), river);
    }
    EXPECT_TRUE(std::filesystem::is_directory(folder_ / "taken.vqx"));
}

}  // namespace
