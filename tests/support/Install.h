// A private copy of Vorelkin.exe in a temporary folder, so each test has its
// own vrkcfg.ini beside it, and a target folder to mark.
#pragma once

#include "Driver.h"
#include "TestFiles.h"

// The description prompt the chooser opens for a slot.
HWND WaitForPrompt(DWORD pid);
// The chooser's labels get their final texts at its first paint.
bool WaitForFirstPaint(HWND chooser);

class Install {
  public:
    // withIcons: also copy the default icon set into icons\ beside it.
    explicit Install(bool withIcons = false);

    CString Exe() const { return m_dir / "Vorelkin.exe"; }
    CString Ini() const { return m_dir / "vrkcfg.ini"; }
    CString Dir() const { return m_dir.Path(); }
    CString Target() const { return m_dir / "target"; }

    // Starts the copy with the arguments as they stand.
    bool Launch(Process& process, const CString& arguments) const;
    // Starts it on the target folder and waits for the chooser.
    HWND LaunchOnTarget(Process& process) const;

  private:
    TempDir m_dir;
};
