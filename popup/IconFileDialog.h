// The Open dialog for an icon file, starting in the icons folder.
#pragma once

#include "../framework/FileDialog.h"

class CIconFileDialog : public CFileDialog {
  public:
    CIconFileDialog();

    // The chosen file as the -A calls and the settings take it: as chosen
    // when CP932 spells it, else its short form. Without either the user is
    // told, in one box, and the choice is refused.
    bool ChosenPath(CString& path) const;
};
