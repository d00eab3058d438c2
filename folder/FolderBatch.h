// Several folders marked in one go. Per-step boxes for each folder would be
// unusable: while a batch lives, IconChange keeps each folder's first
// failure instead of showing its boxes, and leaves the command pass to the
// batch, which runs it once for all folders.
#pragma once

#include "FolderNotices.h"

#include "../base/WideText.h"

class FolderBatch {
  public:
    FolderBatch();
    FolderBatch(const FolderBatch&) = delete;
    FolderBatch& operator=(const FolderBatch&) = delete;
    virtual ~FolderBatch();

    static FolderBatch* Current() { return s_current; }

    // A folder's failure; only its first one is kept. The commands keep it
    // for their own error line instead.
    virtual void Failed(const CString& folder, const wchar_t* text);
    // One box that names each folder that failed and its first failure,
    // under "アイコンの変更に失敗しました"; none when all went well.
    void ReportFailures() const;

  private:
    static FolderBatch* s_current;
    bool m_failed = false;
    CString m_lastFailed;
    WideText m_report;
    FolderNotices m_notices;
};
