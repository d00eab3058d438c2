// (s) /set 重要 (slot 2) on 1,000 folders in one call of Vorelkin.com, against the
// floor program that writes the same desktop.ini bytes to each folder with
// the same whole-file replacement and adds the same attribute bits.
#include "ScanBench.h"
#include "SetBench.h"

#include "support/Desktop.h"
#include "support/Files.h"

#include <stdio.h>

#include <algorithm>

namespace {
const int kFolders = 1000;

CString FolderName(int i) {
    char name[8];
    snprintf(name, sizeof(name), "%04d", i);
    return name;
}

// Every folder unmarked again, untimed: a mark already in place is not
// written again, so each timed run starts from plain folders.
void Unmark(const CString& tree) {
    for (int i = 0; i < kFolders; ++i) {
        const CString folder = tree + "\\" + FolderName(i);
        SetFileAttributesA(folder + "\\desktop.ini", FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(folder + "\\desktop.ini");
        SetFileAttributesA(folder, FILE_ATTRIBUTE_NORMAL);
    }
}
// The console program beside the install's and the folders in its target;
// their names as arguments.
CString MakeFolders(const Install& install) {
    CopyFileA(BesideTests("Vorelkin.com"), install.Dir() + "\\Vorelkin.com", FALSE);
    CString folders;
    for (int i = 0; i < kFolders; ++i) {
        CreateDirectoryA(install.Target() + "\\" + FolderName(i), nullptr);
        folders += " " + FolderName(i);
    }
    return folders;
}
} // namespace

void BenchSet(int repetitions) {
    printf(
        "(s) /set of slot 2 on %d folders in one call against a floor that writes the same bytes, "
        "%d repetitions, interleaved\n",
        kFolders, repetitions);
    Install install(true);
    const CString tree = install.Target(), folders = MakeFolders(install);
    const CString floor = "\"" + BesideTests("SetFloor.exe") + "\" ";
    const CString bytes = "\"" + install.Dir() + "\\floor.ini\"" + folders;
    const CString commands[3] = {"\"" + install.Dir() + "\\Vorelkin.com\" /set 重要" + folders,
                                 floor + bytes, floor + "/notify " + bytes};
    // Untimed first runs: the settings file is written, the folders are
    // marked, and the floor takes the bytes the program wrote.
    Walked first = TimeRun(commands[0], tree);
    CopyFileA(tree + "\\0000\\desktop.ini", install.Dir() + "\\floor.ini", FALSE);
    SetFileAttributesA(install.Dir() + "\\floor.ini", FILE_ATTRIBUTE_NORMAL);
    if (first.code != 0 || TimeRun(commands[1], tree).code != 0) {
        printf("    a first run failed (Vorelkin.com ended with %lu)\n", first.code);
        return;
    }
    std::vector<double> times[3];
    for (int i = 0; i < repetitions; ++i) {
        for (int k = 0; k < 3; ++k) {
            int program = (i + k) % 3;
            Unmark(tree);
            Walked walked = TimeRun(commands[program], tree);
            if (walked.code != 0) {
                printf("    %s ended with %lu\n", program ? "SetFloor.exe" : "Vorelkin.com",
                       walked.code);
                return;
            }
            times[program].push_back(walked.ms);
        }
    }
    const char* names[3] = {"Vorelkin.com /set 2", "SetFloor.exe (floor)", "SetFloor.exe /notify"};
    for (int program = 0; program < 3; ++program) {
        printf("    %-22s median %8.0f ms  min-max %.0f-%.0f\n", names[program],
               Median(times[program]),
               *std::min_element(times[program].begin(), times[program].end()),
               *std::max_element(times[program].begin(), times[program].end()));
    }
    double ratio = Median(times[0]) / Median(times[1]);
    printf("    (s) ratio of medians %.3f (of the fastest runs %.3f)  target <= 1.50  %s\n", ratio,
           *std::min_element(times[0].begin(), times[0].end()) /
               *std::min_element(times[1].begin(), times[1].end()),
           ratio <= 1.50 ? "MET" : "MISSED");
    // The floor's notices go by path, each making the shell parse the whole
    // path (under Wine listing every parent folder); the program's share
    // their parent's shell folder.
    printf("    (s) against the floor with the change notice: ratio of medians %.3f\n",
           Median(times[0]) / Median(times[2]));
}

// (u) The journal's cost: /set on the folders with the journal against
// without it (VORELKIN_DATA=off, the benchmark's own switch), and /undo of
// that /set against the /set itself.
void BenchUndo(int repetitions) {
    printf("(u) /set of slot 2 on %d folders with the undo journal and without, and /undo of it, "
           "%d repetitions\n",
           kFolders, repetitions);
    Install install(true);
    const CString tree = install.Target(), folders = MakeFolders(install);
    const CString com = "\"" + install.Dir() + "\\Vorelkin.com\" ";
    const CString set = com + "/set 重要" + folders, undo = com + "/undo";
    wchar_t journal[MAX_PATH] = L"";
    GetEnvironmentVariableW(L"VORELKIN_DATA", journal, MAX_PATH);
    TimeRun(set, tree);           // untimed: the settings file is written
    std::vector<double> times[3]; // with the journal, without, the undo
    for (int i = 0; i < repetitions; ++i) {
        for (int k = 0; k < 2; ++k) {
            const bool off = (i + k) % 2 == 1;
            Unmark(tree);
            RemoveTree(JournalFile());
            SetEnvironmentVariableW(L"VORELKIN_DATA", off ? L"off" : journal);
            Walked walked = TimeRun(set, tree);
            SetEnvironmentVariableW(L"VORELKIN_DATA", journal);
            if (walked.code != 0) {
                printf("    /set ended with %lu\n", walked.code);
                return;
            }
            times[off ? 1 : 0].push_back(walked.ms);
            if (off)
                continue;
            walked = TimeRun(undo, tree);
            if (walked.code != 0) {
                printf("    /undo ended with %lu\n", walked.code);
                return;
            }
            times[2].push_back(walked.ms);
        }
    }
    const char* names[3] = {"/set, journal", "/set, no journal", "/undo of the /set"};
    for (int part = 0; part < 3; ++part)
        printf("    %-22s median %8.0f ms\n", names[part], Median(times[part]));
    const double journalled = Median(times[0]) / Median(times[1]);
    const double undone = Median(times[2]) / Median(times[0]);
    printf("    (u) /set with the journal against without: ratio of medians %.3f  target <= 1.20  "
           "%s\n",
           journalled, journalled <= 1.20 ? "MET" : "MISSED");
    printf("    (u) /undo against /set: ratio of medians %.3f  target <= 1.50  %s\n", undone,
           undone <= 1.50 ? "MET" : "MISSED");
}
