// (e) The overview's export over a generated tree.
#pragma once

// The tree as a path the program takes, e.g. "C:\\vrk-bench-tree".
void BenchScan(const char* tree, int repetitions);
