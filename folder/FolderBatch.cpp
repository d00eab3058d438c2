#include "FolderBatch.h"

#include "../base/Settings.h"

FolderBatch* FolderBatch::s_current = nullptr;

FolderBatch::FolderBatch() {
    s_current = this;
}

FolderBatch::~FolderBatch() {
    s_current = nullptr;
}

// Each folder is marked to its end before the next starts, so its failures
// come together.
void FolderBatch::Failed(const CString& folder, const wchar_t* text) {
    if (m_failed && m_lastFailed == folder)
        return;
    m_failed = true;
    m_lastFailed = folder;
    m_report += L"\r\n";
    m_report += g_targetFolders.NameOf(folder);
    m_report += L": ";
    m_report += text;
}

void FolderBatch::ReportFailures() const {
    if (!m_failed)
        return;
    WideText text(L"アイコンの変更に失敗しました");
    text += m_report;
    WideMessageBox(text);
}
