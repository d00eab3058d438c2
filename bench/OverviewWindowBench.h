// (w) The overview window while it scans a large tree.
#pragma once

// The tree as a path the program takes, e.g. "C:\\vrk-bench-tree"; without
// one, a tree of 30,000 folders is made for the run.
void BenchOverviewWindow(const char* tree, int repetitions);
