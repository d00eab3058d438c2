// (s) /set on 1,000 folders in one call; (u) the undo journal's cost there.
#pragma once

void BenchSet(int repetitions);
void BenchUndo(int repetitions);
