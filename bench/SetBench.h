// (s) /set on 1,000 folders in one call.
#pragma once

void BenchSet(int repetitions);
