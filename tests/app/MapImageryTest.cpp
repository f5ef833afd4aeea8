// Georeferenced map imagery: the world-file reader, the Load Georeferenced Map Imagery dialog
// as a user fills it, and what the document holds after Load.
#include "../TestFolder.h"
#include "DocumentTestSupport.h"

#include "app/LoadMapImageryDlg.h"
#include "app/MapImagery.h"
#include "platform/Dialog.h"
#include "platform/TestHooks.h"

#include <QImage>

#include <clocale>
#include <functional>
#include <optional>

using namespace document_test;

namespace {

const std::string ThreePieceMessage = WorldFileMessage(WorldFileTooFew);
constexpr const char* EmptyMessage = "World file is empty. Map Imagery did not load.";
constexpr const char* UnreadableMessage = "World file could not be opened. Map Imagery did not load.";

TEST(WorldFile, ReadsSixNumbersInAnyLocaleAndNamesWhatFails)
{
    struct Case
    {
        const char* name;
        std::optional<std::string> text;  // none: no such file
        int result;
        WorldFileValues values;
    };
    const WorldFileValues six = {2.5, 0.0, -0.25, -2.5, 500700.0, 6000800.5};
    const Case cases[] = {
        {"six with a final line break", "2.5\n0.0\n-0.25\n-2.5\n500700.0\n6000800.5\n", WorldFileOk, six},
        {"six without one, CR LF between", "2.5\r\n0\r\n-0.25\r\n-2.5e0\r\n5.007E5\r\n+6000800.5", WorldFileOk, six},
        {"seven: the first six", "2.5 0 -0.25 -2.5 500700 6000800.5 17", WorldFileOk, six},
        {"five", "2.5\n0.0\n-0.25\n-2.5\n500700.0\n", WorldFileTooFew, {2.5, 0.0, -0.25, -2.5, 500700.0, 0.0}},
        {"a word third", "2.5\n0.0\nskew\n-2.5\n500700.0\n6000800.5\n", WorldFileTooFew, {2.5, 0.0}},
        {"a comma decimal stops at the comma", "2,5 0 0 -2.5 1 1", WorldFileTooFew, {2.0}},
        {"nan", "2.5\n0\nnan\n-2.5\n500700\n6000800\n", WorldFileTooFew, {2.5, 0.0}},
        {"inf", "inf 0 0 -2.5 500700 6000800", WorldFileTooFew, {}},
        {"beyond a double", "2.5 0 0 -2.5 1e999 6000800", WorldFileTooFew, {2.5, 0.0, 0.0, -2.5}},
        {"blanks only", " \n\t\n", WorldFileTooFew, {}},
        {"empty", "", WorldFileEmpty, {}},
        {"unreadable", std::nullopt, WorldFileUnreadable, {}},
    };
    const std::filesystem::path folder = FreshTestFolder("vasquil-world-file");
    // The numbers read the same under a comma-decimal locale (where the machine has one).
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string restore = previous ? previous : "C";
    const bool comma = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::filesystem::path path = folder / "map.pgw";
        std::filesystem::remove(path);
        if (c.text) std::ofstream(path, std::ios::binary) << *c.text;
        WorldFileValues values;
        values.fill(99.0);
        EXPECT_EQ(ReadWorldFile(path, &values), c.result);
        EXPECT_EQ(values, c.values);
        EXPECT_EQ(std::string(WorldFileMessage(c.result)).empty(), c.result == WorldFileOk);
    }
    WorldFileValues values;
    EXPECT_EQ(ReadWorldFile(folder, &values), WorldFileUnreadable);
    std::setlocale(LC_NUMERIC, restore.c_str());
    std::filesystem::remove_all(folder);
    if (!comma) GTEST_SKIP() << "no de_DE.UTF-8 locale: the numbers were read in the C locale only";
}

class MapImageryTest : public DocumentTest
{
protected:
    void SetUp() override
    {
        DocumentTest::SetUp();
        image_ = folder_ / "map.png";
        QImage map(40, 20, QImage::Format_RGB32);
        map.fill(Qt::green);
        ASSERT_TRUE(map.save(QString::fromStdString(image_.string())));
        world_ = Write("map.pgw", "10\n0\n0\n-10\n1000\n3000\n");
    }
    static CButton* Button(CDialog& dialog, int id) { return static_cast<CButton*>(dialog.GetDlgItem(id)); }
    static bool LoadEnabled(CDialog& dialog) { return dialog.GetDlgItem(IDOK)->IsWindowEnabled() != FALSE; }
    // Runs Load Georeferenced Map Imagery with script playing the user.
    void Load(std::function<void(CDialog&)> script)
    {
        dialogs_.scripts.push_back(std::move(script));
        Command(ID_FILE_LOAD_MAP_IMAGERY);
    }

    std::filesystem::path image_;
    std::filesystem::path world_;
    ModalDialogInterceptor dialogs_;
    FileDialogProvider files_;
    MessageBoxSink boxes_;
};

TEST_F(MapImageryTest, LoadWaitsForAValidImageAndWorldFileInEitherOrder)
{
    ASSERT_TRUE(Open(Copy("ft0-metric.vqx")));
    EXPECT_TRUE(Update(ID_FILE_LOAD_MAP_IMAGERY).m_enabled.value_or(false));
    for (const bool imageFirst : {true, false}) {
        SCOPED_TRACE(imageFirst ? "image first" : "world file first");
        files_.answers.clear();
        files_.requests.clear();
        const int first = imageFirst ? IDC_MAP_IMAGE_BROWSE : IDC_MAP_WORLD_FILE_BROWSE;
        const int second = imageFirst ? IDC_MAP_WORLD_FILE_BROWSE : IDC_MAP_IMAGE_BROWSE;
        files_.answers = {imageFirst ? image_ : world_, imageFirst ? world_ : image_};
        std::vector<bool> enabled;
        std::string shownImage, shownWorld;
        Load([&](CDialog& d) {
            enabled.push_back(LoadEnabled(d));
            Button(d, first)->Click();
            enabled.push_back(LoadEnabled(d));
            d.SendMessage(WM_COMMAND, IDOK, 0);  // Enter while Load is grey does nothing
            enabled.push_back(d.IsWindowVisible() != FALSE);
            Button(d, second)->Click();
            enabled.push_back(LoadEnabled(d));
            shownImage = d.GetDlgItem(IDC_MAP_IMAGE_PATH)->GetWindowText();
            shownWorld = d.GetDlgItem(IDC_MAP_WORLD_FILE_PATH)->GetWindowText();
            Button(d, IDOK)->Click();
        });
        EXPECT_EQ(enabled, (std::vector<bool>{false, false, true, true}));
        EXPECT_EQ(shownImage, image_.string());
        EXPECT_EQ(shownWorld, world_.string());
        EXPECT_TRUE(boxes_.shown.empty());
        // Both open dialogs: the files must exist, no extension is added.
        ASSERT_EQ(files_.requests.size(), 2u);
        for (const FileDialogRequest& request : files_.requests) {
            EXPECT_EQ(request.kind, FileDialogRequest::Kind::Open);
            EXPECT_EQ(request.flags, DWORD(6150));
            EXPECT_EQ(request.defaultExtension, "");
        }
        const FileDialogRequest& imageRequest = files_.requests[imageFirst ? 0 : 1];
        ASSERT_EQ(imageRequest.filters.size(), 7u);
        EXPECT_EQ(imageRequest.filters[5], (std::pair<std::string, std::string>{"PNG Files (*.png)", "*.png"}));
        const FileDialogRequest& worldRequest = files_.requests[imageFirst ? 1 : 0];
        ASSERT_EQ(worldRequest.filters.size(), 6u);
        EXPECT_EQ(worldRequest.filters[4], (std::pair<std::string, std::string>{"PNG World Files (*.pgw)", "*.pgw"}));

        CVasquilDoc& doc = *Document();
        EXPECT_EQ(doc.MapImagePath, image_);
        EXPECT_EQ(doc.WorldFilePath, world_);
        EXPECT_EQ(doc.WorldFile, (std::array<double, 6>{10, 0, 0, -10, 1000, 3000}));
        EXPECT_EQ(doc.MapImage.GetWidth(), 40);
        EXPECT_EQ(doc.MapImage.GetHeight(), 20);
        EXPECT_EQ(doc.MapImageLoaded, 1);
        EXPECT_EQ(doc.PlanViewFitImage, 1);
        EXPECT_EQ(doc.PlanViewReset, 1);
        doc.PlanViewFitImage = doc.PlanViewReset = 0;
    }
}

TEST_F(MapImageryTest, AFileThatFailsItsCheckIsNamedAndNoLongerValid)
{
    ASSERT_TRUE(Open(Copy("ft0-metric.vqx")));
    const std::filesystem::path text = Write("notes.png", "x pixel width 10\n");
    const std::filesystem::path five = Write("five.pgw", "10\n0\n0\n-10\n1000\n");
    const std::filesystem::path empty = Write("empty.pgw", "");
    const std::filesystem::path missing = folder_ / "gone.pgw";
    struct Step
    {
        int button;
        std::filesystem::path answer;
        std::string message;  // empty: none
        bool loadEnabled;
    };
    const Step steps[] = {
        {IDC_MAP_IMAGE_BROWSE, image_, "", false},
        {IDC_MAP_WORLD_FILE_BROWSE, world_, "", true},
        {IDC_MAP_IMAGE_BROWSE, text, MapImageNotLoadedText, false},  // a text file named .png
        {IDC_MAP_IMAGE_BROWSE, image_, "", true},
        {IDC_MAP_WORLD_FILE_BROWSE, five, ThreePieceMessage, false},
        {IDC_MAP_WORLD_FILE_BROWSE, world_, "", true},
        {IDC_MAP_WORLD_FILE_BROWSE, empty, EmptyMessage, false},
        {IDC_MAP_WORLD_FILE_BROWSE, missing, UnreadableMessage, false},
    };
    for (const Step& step : steps) files_.answers.push_back(step.answer);
    files_.answers.push_back(std::nullopt);  // a Browse cancelled changes nothing
    bool cancelledKeeps = false;
    Load([&](CDialog& d) {
        for (const Step& step : steps) {
            SCOPED_TRACE(step.answer.filename().string());
            boxes_.shown.clear();
            Button(d, step.button)->Click();
            ASSERT_EQ(boxes_.shown.size(), step.message.empty() ? 0u : 1u);
            if (!step.message.empty()) {
                EXPECT_EQ(boxes_.shown[0].text, step.message);
            }
            EXPECT_EQ(LoadEnabled(d), step.loadEnabled);
            const int id = step.button == IDC_MAP_IMAGE_BROWSE ? IDC_MAP_IMAGE_PATH : IDC_MAP_WORLD_FILE_PATH;
            EXPECT_EQ(d.GetDlgItem(id)->GetWindowText(), step.answer.string());
        }
        Button(d, IDC_MAP_WORLD_FILE_BROWSE)->Click();
        cancelledKeeps = d.GetDlgItem(IDC_MAP_WORLD_FILE_PATH)->GetWindowText() == missing.string() && !LoadEnabled(d);
        Button(d, IDCANCEL)->Click();
    });
    EXPECT_TRUE(cancelledKeeps);
    EXPECT_EQ(Document()->MapImageLoaded, 0);
    EXPECT_TRUE(Document()->MapImage.IsNull());
}

TEST_F(MapImageryTest, AFileChangedBeforeLoadKeepsTheImageHeldAndAnOpenClearsIt)
{
    ASSERT_TRUE(Open(Copy("ft0-metric.vqx")));
    const auto choose = [this](std::function<void()> meanwhile) {
        files_.answers = {image_, world_};
        Load([meanwhile](CDialog& d) {
            Button(d, IDC_MAP_IMAGE_BROWSE)->Click();
            Button(d, IDC_MAP_WORLD_FILE_BROWSE)->Click();
            meanwhile();
            Button(d, IDOK)->Click();
        });
    };
    choose([] {});
    ASSERT_EQ(Document()->MapImageLoaded, 1);
    Document()->PlanViewFitImage = Document()->PlanViewReset = 0;
    const std::filesystem::path keptImage = folder_ / "kept.png";
    std::filesystem::copy_file(image_, keptImage);
    Document()->MapImagePath = keptImage;  // the paths held, as a first Load left them
    const std::filesystem::path keptWorld = Document()->WorldFilePath;

    struct Change
    {
        const char* name;
        std::function<void()> meanwhile;
        std::string message;
    };
    const Change changes[] = {
        {"the image became text", [this] { std::ofstream(image_, std::ios::binary) << "no picture"; }, MapImageNotLoadedText},
        {"the world file lost a number", [this] { std::ofstream(world_, std::ios::binary) << "10 0 0 -10 1000"; }, ThreePieceMessage},
    };
    for (const Change& c : changes) {
        SCOPED_TRACE(c.name);
        QImage map(40, 20, QImage::Format_RGB32);
        map.fill(Qt::green);
        ASSERT_TRUE(map.save(QString::fromStdString(image_.string())));
        Write("map.pgw", "10\n0\n0\n-10\n1000\n3000\n");
        boxes_.shown.clear();
        const int updates = View()->updates;
        choose(c.meanwhile);
        ASSERT_EQ(boxes_.shown.size(), 1u);
        EXPECT_EQ(boxes_.shown[0].text, c.message);
        CVasquilDoc& doc = *Document();
        EXPECT_EQ(doc.MapImagePath, keptImage);
        EXPECT_EQ(doc.WorldFilePath, keptWorld);
        EXPECT_EQ(doc.WorldFile, (std::array<double, 6>{10, 0, 0, -10, 1000, 3000}));
        EXPECT_EQ(doc.MapImage.GetWidth(), 40);
        EXPECT_EQ(doc.PlanViewFitImage, 0);
        EXPECT_EQ(doc.PlanViewReset, 0);
        EXPECT_EQ(View()->updates, updates);
    }

    // Cancel changes nothing; opening a model clears the map image.
    Load([](CDialog& d) { Button(d, IDCANCEL)->Click(); });
    EXPECT_EQ(Document()->MapImageLoaded, 1);
    ASSERT_TRUE(Open(Copy("ft0-imperial.vqx")));
    CVasquilDoc& doc = *Document();
    EXPECT_TRUE(doc.MapImage.IsNull());
    EXPECT_EQ(doc.MapImageLoaded, 0);
    EXPECT_EQ(doc.WorldFile, (std::array<double, 6>{}));
    EXPECT_TRUE(doc.MapImagePath.empty());
    EXPECT_TRUE(doc.WorldFilePath.empty());
}

TEST_F(MapImageryTest, WithoutAModelTheCommandIsGrey)
{
    EXPECT_FALSE(Update(ID_FILE_LOAD_MAP_IMAGERY).m_enabled.value_or(true));
    Load([](CDialog& d) { Button(d, IDCANCEL)->Click(); });
    EXPECT_TRUE(dialogs_.shown.empty());
}

}  // namespace
