#include "SettingsChanges.h"

#include "IniFile.h"

namespace {
void WriteOption(const char* key, bool was, bool now) {
    if (was != now)
        SetStringINI(g_strIniPath, kPropertySection, key, now ? "1" : "0");
}
} // namespace

SettingsSnapshot::SettingsSnapshot()
    : m_iconFolder(g_strIconFolder), m_help(g_bHelp), m_iconCopy(g_bIconCopy),
      m_tipDelete(g_bTipDelete), m_toumeido(g_nToumeido) {
    for (int slot = 0; slot < IconSlot::Count; ++slot) {
        m_paths[slot] = g_arrIconPath[slot];
        m_indexes[slot] = g_nIconIndex[slot];
    }
}

void SettingsSnapshot::WriteChanges() const {
    if (!g_bSettingsWritable || g_strIniPath.IsEmpty())
        return;
    IniFileSession session(g_strIniPath);
    if (g_strIconFolder != m_iconFolder)
        SetStringINI(g_strIniPath, kFolderSection, "ICON_FOLDER", g_strIconFolder);
    for (int slot = 0; slot < IconSlot::Count; ++slot) {
        if (g_arrIconPath[slot] != m_paths[slot])
            SetStringINI(g_strIniPath, kIconSection, IconSlot::PathKey(slot), g_arrIconPath[slot]);
        if (g_nIconIndex[slot] != m_indexes[slot])
            SetStringINI(g_strIniPath, kIconSection, IconSlot::IndexKey(slot),
                         CString::FromInt(g_nIconIndex[slot]));
    }
    WriteOption("HELP", m_help, g_bHelp);
    WriteOption("ICON_COPY", m_iconCopy, g_bIconCopy);
    WriteOption("TIP_DELETE", m_tipDelete, g_bTipDelete);
    if (g_nToumeido != m_toumeido)
        SetStringINI(g_strIniPath, kPropertySection, "TOUMEIDO", CString::FromInt(g_nToumeido));
}

void SettingsSnapshot::Restore() const {
    g_strIconFolder = m_iconFolder;
    for (int slot = 0; slot < IconSlot::Count; ++slot) {
        g_arrIconPath[slot] = m_paths[slot];
        g_nIconIndex[slot] = m_indexes[slot];
    }
    g_bHelp = m_help;
    g_bIconCopy = m_iconCopy;
    g_bTipDelete = m_tipDelete;
    g_nToumeido = m_toumeido;
}
