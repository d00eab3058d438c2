#include "MarkRecord.h"

#include "../base/Settings.h"
#include "../base/WholeFile.h"

MarkRecord::MarkRecord(const CString& folderPath) {
    if (!ActionRecorder::Current())
        m_own = new ActionRecorder(ActionKind::kMark);
    m_on = ActionRecorder::Current()->On();
    if (m_on)
        m_folder = g_targetFolders.NameOf(folderPath);
}

MarkRecord::~MarkRecord() {
    delete m_own;
}

void MarkRecord::Before(const IniDocument& ini) {
    // A desktop.ini that could not be read has no bytes to go back to.
    m_on = m_on && ini.Loaded();
    if (!m_on)
        return;
    ReadAttributes(m_folder, m_before);
    m_before.iniBytes = ini.LoadedBytes();
}

void MarkRecord::CopyTo(const CString& copyName) {
    if (!m_on)
        return;
    // Replaced, the earlier copy's bytes are what an undo writes back.
    ReadCopyState(m_folder, copyName, true, m_before.copy);
}

void MarkRecord::After(const IniDocument& ini, bool written) {
    if (!m_on)
        return;
    m_done = true;
    ReadAttributes(m_folder, m_after);
    // Save turns a UTF-8 file into UTF-16 only when it writes it.
    if (!written || ini.Encoding() == IniEncoding::Other)
        ReadWholeFile(IniPathOf(m_folder), m_after.iniBytes);
    else
        m_after.iniBytes = ini.Encoding() == IniEncoding::Utf8 ? ini.LoadedBytes() : ini.Bytes();
    if (m_before.copy.name.IsEmpty())
        return;
    ReadCopyState(m_folder, m_before.copy.name, false, m_after.copy);
    // An unchanged copy need not be kept twice.
    if (m_before.copy.present && m_before.copy.hash == m_after.copy.hash) {
        m_before.copy.bytesKept = false;
        m_before.copy.bytes.Empty();
    }
}

void MarkRecord::Write() {
    if (m_on && m_done)
        ActionRecorder::Current()->Step(m_folder, m_before, m_after);
}
