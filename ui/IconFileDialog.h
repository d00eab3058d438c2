// The Open dialog for an icon file, starting in the icons folder.
#pragma once

#include "../framework/FileDialog.h"

class CIconFileDialog : public CFileDialog {
  public:
    CIconFileDialog();
};
