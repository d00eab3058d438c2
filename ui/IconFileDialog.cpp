#include "IconFileDialog.h"

#include "../app/Settings.h"

CIconFileDialog::CIconFileDialog()
    : CFileDialog(TRUE, nullptr, nullptr,
                  OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                  "ｱｲｺﾝﾌｧｲﾙ(*.ico)|*.ico|") {
    m_ofn.lpstrInitialDir = g_strIconFolder; // the settings live as long as the process
}
