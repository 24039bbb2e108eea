#pragma once

#include "platform/core/cstring.h"

class CDialog;

// The application object. Exactly one exists while the program runs;
// AfxWinMain starts the window system, fills in the names derived from the
// executable and calls InitInstance, which shows the main window.
class CWinApp {
public:
    // Becomes the current application. An empty `appName` means the
    // executable's base name, filled in by AfxWinMain.
    explicit CWinApp(const char* appName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Shows the program's window; returns false when the program should end
    // right after it, which for a dialog-based program is always.
    virtual bool InitInstance() { return false; }

    // Opens the help file at `context`; shows "Failed to launch help." when
    // the help file is missing or cannot be shown.
    virtual void WinHelp(unsigned context);

    // Fills in the application name (the executable's base name, the caption
    // of every message box) and the help file path from the executable's path.
    void SetNamesFromExecutable(const CString& executablePath);

    CDialog* m_pMainWnd = nullptr; // the main window while it exists
    CString m_pszAppName;
    CString m_pszHelpFilePath;
};

// The current application object, or null before one is constructed.
CWinApp* AfxGetApp();

// The program's entry: starts Qt, installs the message box, runs the
// application's InitInstance and returns the process's exit code.
int AfxWinMain(int argc, char** argv);
