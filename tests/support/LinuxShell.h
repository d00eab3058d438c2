// The Linux side beneath Wine, for what Windows cannot do: make a file
// immutable, map a drive letter. Wine starts Linux programs through
// CreateProcess; Z: is the Linux root.
#pragma once

#include <string>

// The Linux path of a Windows path ("" when Wine cannot tell).
std::string LinuxPath(const char* windowsPath);

// Runs a command with /bin/sh and waits (bounded) for it to end; the shell's
// exit status, or -1 when it could not run or did not end in time.
int RunLinuxShell(const std::string& command);

// A path quoted for the shell.
std::string ShellQuote(const std::string& text);

// A file or folder made immutable (chattr +i) for the object's life. Root
// ignores permission bits, but not this; it needs CAP_LINUX_IMMUTABLE and a
// file system that has the flag, so Made() may be false.
class Immutable {
  public:
    explicit Immutable(const char* windowsPath);
    Immutable(const Immutable&) = delete;
    Immutable& operator=(const Immutable&) = delete;
    ~Immutable();
    bool Made() const { return m_made; }

  private:
    std::string m_path;
    bool m_made = false;
};
