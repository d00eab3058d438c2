#include "Attrib.h"

#include "Driver.h"

#include "framework/Scoped.h"

std::string AttribLetters(const char* path) {
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return "?pipe";
    ScopedKernelHandle output(readEnd), childOutput(writeEnd);
    SetHandleInformation(output, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = childOutput;
    PROCESS_INFORMATION info = {};
    CString commandLine = CString("attrib.exe \"") + path + "\"";
    if (!CreateProcessA(nullptr, commandLine.GetBuffer(commandLine.GetLength()), nullptr, nullptr,
                        TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info))
        return "?start";
    ScopedKernelHandle process(info.hProcess), thread(info.hThread);
    childOutput.Reset(); // the read below ends when the child's copy closes
    if (WaitForSingleObject(process, kWaitMs) != WAIT_OBJECT_0) {
        TerminateProcess(process, 1);
        return "?timeout";
    }
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(output, buffer, sizeof(buffer), &read, nullptr) && read > 0)
        text.append(buffer, read);

    // One line: the flags, then the path as given (an error names the path
    // and goes on after it).
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    size_t drive = text.find(":\\");
    if (drive == std::string::npos || drive == 0 || text.substr(drive - 1) != path)
        return "?" + text;
    std::string flags = text.substr(0, drive - 1);
    std::string letters;
    for (char letter : {'A', 'S', 'H', 'R'}) {
        if (flags.find(letter) != std::string::npos)
            letters += letter;
    }
    return letters;
}
