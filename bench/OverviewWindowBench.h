// (w) The overview window while it scans a large tree.
#pragma once

// The tree as a path the program takes, e.g. "C:\\vrk-bench-tree"; without
// one, a tree of 30,000 folders is made for the run.
void BenchOverviewWindow(const char* tree, int repetitions);

// (l) The window open on the tree following changes: a new mark's delay to
// its row, the window's processor time while unrelated files are written,
// and the next opening's first rows from the kept rows.
void BenchOverviewLive(const char* tree);
