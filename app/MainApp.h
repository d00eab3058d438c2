#pragma once

#include "../framework/App.h"

class CMainApp : public CWinApp {
  public:
    CMainApp();
    ~CMainApp() override = default;

    BOOL InitInstance() override;

  protected:
    DECLARE_MESSAGE_MAP()
};
