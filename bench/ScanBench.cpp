// (e) The overview's export over a generated tree, against the floor
// program that only walks it, and the export's peak memory.
#include "ScanBench.h"

#include "base/WideText.h"
#include "support/Desktop.h"

#include <psapi.h>
#include <stdio.h>

#include <algorithm>
#include <vector>

namespace {
const DWORD kScanMs = 10 * 60 * 1000; // one walk of 100,000 folders takes tens of seconds

double NowMs() {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return (double)now.QuadPart * 1000.0 / (double)frequency.QuadPart;
}
} // namespace

Walked TimeRun(const CString& commandLine, const char* dir) {
    Walked walked;
    Process process;
    double start = NowMs();
    if (!process.Start(WideText(commandLine), dir))
        return walked;
    // Wine keeps no counters of an ended process: they are read while it
    // runs, every 100 ms (the peak only grows), and once more at its end.
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    bool ended = false;
    while (!ended && NowMs() - start < kScanMs) {
        ended = WaitForSingleObject(process.Handle(), 100) == WAIT_OBJECT_0;
        if (ended)
            walked.ms = NowMs() - start;
        if (GetProcessMemoryInfo(process.Handle(), &counters, sizeof(counters))) {
            walked.peakWorkingSet = std::max(walked.peakWorkingSet, counters.PeakWorkingSetSize);
            walked.peakPrivate = std::max(walked.peakPrivate, counters.PeakPagefileUsage);
        }
    }
    walked.code = process.WaitExit(0);
    return walked;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void BenchScan(const char* tree, int repetitions) {
    printf("(e) overview export of %s against a walk that only lists it, %d repetitions, "
           "interleaved\n",
           tree, repetitions);
    Install install(true);
    const CString out = install.Dir() + "\\marks.txt";
    const CString commands[2] = {"\"" + install.Dir() + "\\Vorelkin.exe\" /list \"" + tree +
                                     "\" /export \"" + out + "\"",
                                 "\"" + BesideTests("ScanFloor.exe") + "\" \"" + tree + "\""};
    // Untimed first runs: the settings file is written, the tree is cached.
    for (const CString& command : commands)
        TimeRun(command, install.Dir());
    std::vector<double> times[2];
    SIZE_T peakWorkingSet = 0, peakPrivate = 0;
    for (int i = 0; i < repetitions; ++i) {
        for (int k = 0; k < 2; ++k) {
            int program = (i + k) % 2;
            Walked walked = TimeRun(commands[program], install.Dir());
            if (walked.code != 0) {
                printf("    %s ended with %lu\n", program ? "ScanFloor.exe" : "Vorelkin.exe",
                       walked.code);
                return;
            }
            times[program].push_back(walked.ms);
            if (program == 0) {
                peakWorkingSet = std::max(peakWorkingSet, walked.peakWorkingSet);
                peakPrivate = std::max(peakPrivate, walked.peakPrivate);
            }
        }
    }
    int lines = -1; // the header aside
    for (char c : ReadBytes(out))
        lines += c == '\n';
    printf("    %d marks exported\n", lines);
    printf("    Vorelkin.exe /list /export  median %8.0f ms  min-max %.0f-%.0f\n", Median(times[0]),
           *std::min_element(times[0].begin(), times[0].end()),
           *std::max_element(times[0].begin(), times[0].end()));
    printf("    ScanFloor.exe (floor)       median %8.0f ms  min-max %.0f-%.0f\n", Median(times[1]),
           *std::min_element(times[1].begin(), times[1].end()),
           *std::max_element(times[1].begin(), times[1].end()));
    double ratio = Median(times[0]) / Median(times[1]);
    printf("    (e) ratio of medians %.3f (of the fastest runs %.3f)  target <= 1.30  %s\n", ratio,
           *std::min_element(times[0].begin(), times[0].end()) /
               *std::min_element(times[1].begin(), times[1].end()),
           ratio <= 1.30 ? "MET" : "MISSED");
    double peakMb = (double)std::max(peakWorkingSet, peakPrivate) / (1024.0 * 1024.0);
    printf("    (e) peak memory of the export: working set %.1f MB, private %.1f MB  "
           "target <= 64 MB  %s\n",
           (double)peakWorkingSet / (1024.0 * 1024.0), (double)peakPrivate / (1024.0 * 1024.0),
           peakMb > 0 && peakMb <= 64 ? "MET"
           : peakMb > 0               ? "MISSED"
                                      : "NOT MEASURED");
}
