// Byte strings in the system code page (CP932), as the -A APIs take them.
// Our own small class keeps the C++ string runtime out of the executable.
#pragma once

class CString {
  public:
    CString() noexcept {}
    CString(const char* text);
    CString(const char* text, int length);
    CString(const CString& other) : CString(other.GetString(), other.m_length) {}
    CString(CString&& other) noexcept { *this = static_cast<CString&&>(other); }
    ~CString();

    CString& operator=(const CString& other);
    CString& operator=(CString&& other) noexcept;
    CString& operator=(const char* text);

    int GetLength() const { return m_length; }
    bool IsEmpty() const { return m_length == 0; }
    void Empty();
    const char* GetString() const { return m_data ? m_data : ""; }
    operator const char*() const { return GetString(); }
    char operator[](int index) const { return GetString()[index]; }

    CString& operator+=(const CString& other) { return Append(other.GetString(), other.m_length); }
    CString& operator+=(const char* text);
    CString& operator+=(char c) { return Append(&c, 1); }
    CString& Append(const char* text, int length);

    static CString FromInt(int value); // plain decimal, with a minus sign when negative

    CString Left(int count) const;
    CString Mid(int first) const;

    // Writable buffer of at least minLength bytes plus the terminator;
    // ReleaseBuffer(-1) takes the length up to the first NUL.
    char* GetBuffer(int minLength);
    void ReleaseBuffer(int newLength = -1);

  private:
    void Reserve(int capacity);

    char* m_data = nullptr;
    int m_length = 0;
    int m_capacity = 0;
};

CString operator+(const CString& left, const CString& right);
CString operator+(const CString& left, const char* right);
CString operator+(const char* left, const CString& right);
bool operator==(const CString& left, const CString& right);
bool operator==(const CString& left, const char* right);
bool operator==(const char* left, const CString& right);
inline bool operator!=(const CString& left, const CString& right) {
    return !(left == right);
}
inline bool operator!=(const CString& left, const char* right) {
    return !(left == right);
}

class CStringArray {
  public:
    CStringArray() {}
    CStringArray(const CStringArray&) = delete;
    CStringArray& operator=(const CStringArray&) = delete;
    ~CStringArray() { delete[] m_items; }

    void SetSize(int count);
    CString& operator[](int index) { return m_items[index]; }
    const CString& operator[](int index) const { return m_items[index]; }

  private:
    CString* m_items = nullptr;
    int m_count = 0;
};
