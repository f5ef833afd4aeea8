// The application object: start-up (resources, settings, the document template, the command
// line, the main window and the About box) and the application's own commands.
#pragma once

#include "platform/Application.h"

class CVasquilApp : public CWinApp
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    // viewClass is the class of the main frame's view; the program's entry hands it in.
    explicit CVasquilApp(const CRuntimeClass* viewClass);
    ~CVasquilApp() override;

    // Registers the resources, opens the settings with the recent-file list, makes the
    // document template, then the empty document or the file named on the command line with
    // the main frame, shows the frame, accepts dropped files and shows the About box. A file
    // on the command line that does not open has said why, and the empty document takes its
    // place. Returns FALSE when the document or the frame could not be made; nothing is left
    // open then.
    BOOL InitInstance() override;
    // The program's exit status: StartupFailedStatus after a failed start-up, else 0.
    int ExitInstance() override;

    // About (ID_APP_ABOUT): the About box, modal.
    void OnAppAbout();

    // The main frame loads the 256-colour standard toolbar when set, else the 16-colour one.
    BOOL HiColorIcons = TRUE;

    static constexpr int StartupFailedStatus = 1;

private:
    const CRuntimeClass* viewClass_;
    bool startupFailed_ = false;
};
