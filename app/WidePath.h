// A CP932 path as UTF-16 for the -W file calls. Wine's -A file calls refuse
// a path of MAX_PATH bytes or more; its -W calls take it.
#pragma once

#include <windows.h>

#include <stdlib.h>

class WidePath {
  public:
    explicit WidePath(const char* path) {
        int count = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
        if (count <= 0)
            return;
        m_text = (wchar_t*)malloc(sizeof(wchar_t) * (size_t)count);
        if (m_text)
            MultiByteToWideChar(CP_ACP, 0, path, -1, m_text, count);
    }
    WidePath(const WidePath&) = delete;
    WidePath& operator=(const WidePath&) = delete;
    ~WidePath() { free(m_text); }
    operator const wchar_t*() const { return m_text ? m_text : L""; }

  private:
    wchar_t* m_text = nullptr;
};
