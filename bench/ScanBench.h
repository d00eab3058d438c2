// (e) The overview's export over a generated tree, and what the other
// timings of whole runs share.
#pragma once

#include "framework/String.h"

#include <windows.h>

#include <vector>

struct Walked {
    double ms = -1;
    DWORD code = STILL_ACTIVE;
    SIZE_T peakWorkingSet = 0, peakPrivate = 0;
};
// Runs the command to its end: the time from start to exit and the peak
// memory its process reached.
Walked TimeRun(const CString& commandLine, const char* dir);
double Median(std::vector<double> values);

// The tree as a path the program takes, e.g. "C:\\vrk-bench-tree".
void BenchScan(const char* tree, int repetitions);
