// How the overview was left, kept for its next opening in vrkcfg.ini's
// [Overview] section: its placement, columns, sort and status filter.
#pragma once

#include "OverviewRows.h"

inline WINDOWPLACEMENT MakePlacement() {
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof(placement);
    return placement;
}

struct OverviewLayout {
    bool hasPlacement = false;
    WINDOWPLACEMENT placement = MakePlacement();
    bool hasColumns = false;
    int widths[COverviewRows::kColumns] = {};
    int order[COverviewRows::kColumns] = {}; // the columns' own indexes, left to right
    int sortColumn = COverviewRows::kColumnFolder;
    bool descending = false;
    int status = COverviewRows::kAllStatuses;
};

// Each value that can't be read keeps its default. A placement whose
// monitor is gone is moved onto the nearest one.
OverviewLayout ReadOverviewLayout();
// Writes these keys alone, over the file as it is now.
void WriteOverviewLayout(const OverviewLayout& layout);
