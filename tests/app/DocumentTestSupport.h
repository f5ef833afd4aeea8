// The document's tests drive it as the program does, headless: an application with one
// template that joins the document to a small frame and view of the tests' own (menu, caption
// "Vasquil", document type "Vasquil Files (*.vqx)"), a folder of their own for files, and the
// reader's chatter on standard output silenced.
#pragma once

#include "../engine/ModelFilesTestSupport.h"
#include "../platform/GuiTestSupport.h"

#include "app/VasquilDoc.h"
#include "platform/Application.h"
#include "platform/CmdTarget.h"
#include "platform/DocTemplate.h"
#include "platform/DocView.h"
#include "platform/Frame.h"
#include "platform/Menu.h"
#include "platform/Resources.h"
#include "resources/ResourceIds.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QSettings>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace document_test {

using modelfiles_test::Fixture;
using modelfiles_test::FixturePath;
using modelfiles_test::QuietStdout;
using modelfiles_test::ReadBytes;

// The frame's resource: menu, accelerators and document string.
constexpr UINT FrameResource = 9702;
// Commands of the File menu.
constexpr UINT ConvertHecRas = 32792;
constexpr UINT LoadMapImagery = 32801;
constexpr UINT FileTypeOptions = 32776;

inline void RegisterDocumentTestResources()
{
    static const MenuTemplate menus[] = {
        {.id = FrameResource,
         .popups = {
             {.text = "&File",
              .items = {{ID_FILE_NEW, "&New\tCtrl+N"},
                        {ID_FILE_OPEN, "&Open...\tCtrl+O"},
                        {ID_FILE_SAVE, "&Save\tCtrl+S"},
                        {ID_FILE_SAVE_AS, "Save &As..."},
                        {},
                        {ConvertHecRas, "&Convert HEC-RAS Geometry File..."},
                        {LoadMapImagery, "&Load Georeferenced Map Imagery..."},
                        {FileTypeOptions, "&File Type Options..."},
                        {},
                        {ID_FILE_MRU_FILE1, "Recent File"},
                        {},
                        {ID_APP_EXIT, "E&xit"}}},
             {.text = "&View", .items = {{ID_DISPLAY_QW_AS_QFLUX, "&Display Qw as Qflux"}}},
         }},
    };
    static const StringResource strings[] = {
        {FrameResource, "Vasquil\n\nVasquil\nVasquil Files (*.vqx)\n.vqx\nVasquil.Document\nVasquil.Document"},
    };
    static const bool registered = [] {
        RegisterResources({.dialogs = {}, .menus = menus, .toolbars = {}, .accelerators = {}, .strings = strings,
                           .images = {}});
        return true;
    }();
    (void)registered;
}

// A view that counts what the document tells it.
class DocumentTestView : public CView
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }
    void OnDraw(CDC*) override {}
    void OnUpdate(CView* sender, LPARAM hint, CObject* hintObject) override
    {
        ++updates;
        CView::OnUpdate(sender, hint, hintObject);
    }
    int updates = 0;
};
inline const CRuntimeClass DocumentTestView::Runtime{"DocumentTestView", &CView::Runtime,
                                                     &CreateRuntimeObject<DocumentTestView>};

class DocumentTestFrame : public CFrameWnd
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }
};
inline const CRuntimeClass DocumentTestFrame::Runtime{"DocumentTestFrame", &CFrameWnd::Runtime,
                                                      &CreateRuntimeObject<DocumentTestFrame>};

// Starts as the program does: the framework's empty document, no model.
class DocumentTestApp : public CWinApp
{
public:
    DocumentTestApp() : CWinApp("Vasquil")
    {
        MapCommand(ID_FILE_NEW, &CWinApp::OnFileNew);
        MapCommand(ID_FILE_OPEN, &CWinApp::OnFileOpen);
    }
    BOOL InitInstance() override
    {
        SetRegistryKey("Vasquil Document Tests");
        OpenSettings()->clear();
        LoadStdProfileSettings(4);
        AddDocTemplate(new CSingleDocTemplate(FrameResource, &CVasquilDoc::Runtime, &DocumentTestFrame::Runtime,
                                              &DocumentTestView::Runtime));
        CCommandLineInfo info;
        return ProcessShellCommand(info);
    }
};

class DocumentTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RegisterDocumentTestResources();
        folder_ = std::filesystem::temp_directory_path() /
                  ("vasquil-document-test-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        app_ = std::make_unique<DocumentTestApp>();
        ASSERT_TRUE(app_->InitInstance());
        ASSERT_NE(Document(), nullptr);
    }
    void TearDown() override
    {
        app_.reset();
        ProcessEvents();
        std::filesystem::remove_all(folder_);
    }

    CVasquilDoc* Document() const { return static_cast<CVasquilDoc*>(app_->GetDocTemplate()->GetDocument()); }
    CFrameWnd* Frame() const { return static_cast<CFrameWnd*>(app_->m_pMainWnd); }
    DocumentTestView* View() const { return static_cast<DocumentTestView*>(Frame()->GetActiveView()); }
    std::string Caption() const { return Frame()->GetWidget()->windowTitle().toStdString(); }

    // A copy of a fixture in the test's folder (under its own name unless one is given).
    std::filesystem::path Copy(const std::string& fixture, const std::string& name = {}) const
    {
        const std::filesystem::path path = folder_ / (name.empty() ? fixture : name);
        std::filesystem::copy_file(FixturePath(fixture), path, std::filesystem::copy_options::overwrite_existing);
        return path;
    }
    std::filesystem::path Write(const std::string& name, const std::string& text) const
    {
        const std::filesystem::path path = folder_ / name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    // Opens through the application, as File Open does; the reader's lines are silenced.
    bool Open(const std::filesystem::path& path)
    {
        QuietStdout quiet;
        return app_->OpenDocumentFile(path) != nullptr;
    }
    void Command(UINT id)
    {
        QuietStdout quiet;
        Frame()->SendMessage(WM_COMMAND, id, 0);
    }
    // The state the document's update handlers give a command.
    CCmdUI Update(UINT id) const
    {
        CCmdUI state;
        state.m_nID = id;
        state.DoUpdate(Frame(), TRUE);
        return state;
    }

    std::filesystem::path folder_;
    std::unique_ptr<DocumentTestApp> app_;
};

}  // namespace document_test
