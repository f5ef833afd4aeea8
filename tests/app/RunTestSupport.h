// Helpers of the run tests: the program started headless (the About box closed by the hooks)
// with a model of the tests' folder open, the Simulation commands, the fields of the run
// dialogs typed in, Output Options played through its dialog, and the rows of a results database.
#pragma once

#include "AppTestSupport.h"
#include "../engine/ModelFilesTestSupport.h"

#include "app/MainFrm.h"
#include "app/OutputOptionsDlg.h"
#include "app/PlaceholderView.h"
#include "app/RunSteadyDlg.h"
#include "app/RunTransDlg.h"
#include "app/VasquilApp.h"
#include "app/VasquilDoc.h"
#include "platform/DocTemplate.h"
#include "platform/TestHooks.h"
#include "resources/ResourceIds.h"
#include "tests/platform/GuiTestSupport.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace run_test {

using modelfiles_test::QuietStdout;

inline std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The rows of table time_series, in id order, each as its columns (text of numbers as SQLite
// gives doubles back: exact).
struct DatabaseRow {
    int node = 0;
    double time = 0;
    std::string date;
    std::vector<double> values;  // the columns after actual_time
};
inline std::vector<DatabaseRow> ReadRows(const std::filesystem::path& path)
{
    std::vector<DatabaseRow> rows;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return rows;
    }
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT * FROM time_series ORDER BY id", -1, &statement, nullptr) == SQLITE_OK) {
        while (sqlite3_step(statement) == SQLITE_ROW) {
            DatabaseRow row;
            row.node = sqlite3_column_int(statement, 1);
            row.time = sqlite3_column_double(statement, 2);
            row.date = reinterpret_cast<const char*>(sqlite3_column_text(statement, 3));
            for (int c = 4; c < sqlite3_column_count(statement); ++c) row.values.push_back(sqlite3_column_double(statement, c));
            rows.push_back(row);
        }
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return rows;
}

inline int ColumnCount(const std::filesystem::path& path)
{
    sqlite3* db = nullptr;
    int count = 0;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, "PRAGMA table_info(time_series)", -1, &statement, nullptr) == SQLITE_OK)
            while (sqlite3_step(statement) == SQLITE_ROW) ++count;
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return count;
}

class RunTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        app_test::ClearProgramSettings();
        folder_ = std::filesystem::temp_directory_path() /
                  ("vasquil-run-test-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        app_ = std::make_unique<CVasquilApp>(&CPlaceholderView::Runtime);
        about_.scripts.push_back([](CDialog& about) { static_cast<CButton*>(about.GetDlgItem(IDOK))->Click(); });
        ASSERT_TRUE(app_->InitInstance());
    }
    void TearDown() override
    {
        app_.reset();
        ProcessEvents();
        std::filesystem::remove_all(folder_);
    }

    // Opens a copy of a model (examples/ or tests/data/) in the tests' folder; the save
    // question of a model the test changed before is answered No.
    bool Open(const std::filesystem::path& source, const std::string& name = "river.vqx")
    {
        model_ = folder_ / name;
        std::filesystem::copy_file(source, model_, std::filesystem::copy_options::overwrite_existing);
        std::optional<MessageBoxSink> dropChanges;
        if (Doc() && Doc()->IsModified()) dropChanges.emplace().answers = {IDNO};
        QuietStdout quiet;
        return app_->OpenDocumentFile(model_) != nullptr;
    }
    static std::filesystem::path Example(const char* name) { return std::filesystem::path(VASQUIL_SOURCE_DIR) / "examples" / name; }
    static std::filesystem::path Data(const char* name) { return std::filesystem::path(VASQUIL_TEST_DATA) / name; }

    CMainFrame* Frame() const { return app_ ? static_cast<CMainFrame*>(app_->m_pMainWnd) : nullptr; }
    CVasquilDoc* Doc() const { return static_cast<CVasquilDoc*>(app_->GetDocTemplate()->GetDocument()); }
    void Command(UINT id) { Frame()->SendMessage(WM_COMMAND, id, 0); }
    CCmdUI Update(UINT id) const
    {
        CCmdUI state;
        state.m_nID = id;
        state.DoUpdate(Frame(), TRUE);
        return state;
    }
    bool Enabled(UINT id) const { return Update(id).m_enabled.value_or(false); }

    CRunTransDlg* Transient()
    {
        Command(ID_SIMULATION_TRANSIENT);
        return Doc()->TransientDialog;
    }
    CRunSteadyDlg* Steady()
    {
        Command(ID_SIMULATION_STEADY);
        return Doc()->SteadyDialog;
    }
    static void Type(CDialog* dialog, int id, const std::string& text) { dialog->GetDlgItem(id)->SetWindowText(text); }
    static std::string Text(CDialog* dialog, int id) { return dialog->GetDlgItem(id)->GetWindowText(); }
    static void Press(CDialog* dialog, int id) { static_cast<CButton*>(dialog->GetDlgItem(id))->Click(); }
    // Runs events until the run has ended (its end of run carried out).
    static bool WaitForEnd(CRunDialog* dialog, int milliseconds = 120000)
    {
        QuietStdout quiet;
        return WaitUntil([dialog] { return !dialog->Running; }, milliseconds);
    }

    // Output Options played by the user: choose sets the choices on the live dialog (its
    // Browse buttons answered from files_, a file that exists replaced), then "Initialize
    // Output" and Close (its question about choices not initialized answered No). Returns the
    // messages shown but the questions before replacing and that of Close.
    std::vector<std::string> OutputOptions(const std::function<void(COutputOptionsDlg&)>& choose)
    {
        ModalDialogInterceptor interceptor;
        interceptor.scripts.push_back([&](CDialog& live) {
            auto& dialog = static_cast<COutputOptionsDlg&>(live);
            choose(dialog);
            Press(&dialog, IDOK);
            Press(&dialog, IDCANCEL);
        });
        MessageBoxSink boxes;
        Command(ID_SIMULATION_OUTPUT_OPTIONS);
        std::vector<std::string> shown;
        for (const MessageBoxRequest& r : boxes.shown)
            if (r.text.find("Do you want to replace it?") == std::string::npos && r.buttons != UINT(MB_YESNOCANCEL))
                shown.push_back(r.text);
        return shown;
    }
    // Ticks an output's check box (unless it is) and gives it a file through its Browse button.
    void Choose(COutputOptionsDlg& dialog, int check, int browse, const std::filesystem::path& path)
    {
        Tick(dialog, check);
        files_.answers.push_back(path);
        Press(&dialog, browse);
    }
    static void Tick(COutputOptionsDlg& dialog, int check)
    {
        if (static_cast<CButton*>(dialog.GetDlgItem(check))->GetCheck() != BST_CHECKED) Press(&dialog, check);
    }
    static void Interval(COutputOptionsDlg& dialog, int list, int choice)
    {
        static_cast<CComboBox*>(dialog.GetDlgItem(list))->SetCurSel(choice);
    }

    ModalDialogInterceptor about_;
    FileDialogProvider files_;
    std::unique_ptr<CVasquilApp> app_;
    std::filesystem::path folder_;
    std::filesystem::path model_;
};

}  // namespace run_test
