#include "String.h"

#include <windows.h>

#include <stdlib.h>
#include <string.h>

CString::CString(const char* text) {
    if (text)
        Append(text, (int)strlen(text));
}

CString::CString(const char* text, int length) {
    Append(text, length);
}

CString::~CString() {
    free(m_data);
}

// A copy is made first: the text may point into our own buffer.
CString& CString::operator=(const CString& other) {
    CString copy(other);
    return *this = static_cast<CString&&>(copy);
}

CString& CString::operator=(const char* text) {
    CString copy(text);
    return *this = static_cast<CString&&>(copy);
}

// The other string takes our buffer, and frees it.
CString& CString::operator=(CString&& other) noexcept {
    char* data = m_data;
    int length = m_length, capacity = m_capacity;
    m_data = other.m_data;
    m_length = other.m_length;
    m_capacity = other.m_capacity;
    other.m_data = data;
    other.m_length = length;
    other.m_capacity = capacity;
    return *this;
}

void CString::Empty() {
    m_length = 0;
    if (m_data)
        m_data[0] = '\0';
}

CString& CString::operator+=(const char* text) {
    if (!text)
        return *this;
    return Append(text, (int)strlen(text));
}

CString& CString::Append(const char* text, int length) {
    if (length <= 0) {
        Reserve(m_length);
        return *this;
    }
    if (text >= GetString() && text < GetString() + m_length) {
        CString copy(text, length);
        return Append(copy.m_data, length);
    }
    Reserve(m_length + length);
    memcpy(m_data + m_length, text, (size_t)length);
    m_length += length;
    m_data[m_length] = '\0';
    return *this;
}

void CString::Reserve(int capacity) {
    if (m_data && capacity <= m_capacity)
        return;
    int grown = m_capacity + m_capacity / 2;
    if (grown > capacity)
        capacity = grown;
    char* data = (char*)realloc(m_data, (size_t)capacity + 1);
    if (!data)
        abort(); // out of memory: nothing sensible is left to do
    m_data = data;
    m_capacity = capacity;
    m_data[m_length] = '\0';
}

CString CString::FromInt(int value) {
    char digits[12];
    wsprintfA(digits, "%d", value);
    return digits;
}

CString CString::Left(int count) const {
    return CString(GetString(), count < 0 ? 0 : count > m_length ? m_length : count);
}

CString CString::Mid(int first) const {
    first = first < 0 ? 0 : first > m_length ? m_length : first;
    return CString(GetString() + first, m_length - first);
}

char* CString::GetBuffer(int minLength) {
    Reserve(minLength > m_length ? minLength : m_length);
    return m_data;
}

void CString::ReleaseBuffer(int newLength) {
    if (!m_data)
        return;
    if (newLength < 0)
        newLength = (int)strnlen(m_data, (size_t)m_capacity);
    if (newLength > m_capacity)
        newLength = m_capacity;
    m_length = newLength;
    m_data[m_length] = '\0';
}

CString operator+(const CString& left, const CString& right) {
    CString result(left);
    result += right;
    return result;
}

CString operator+(const CString& left, const char* right) {
    CString result(left);
    result += right;
    return result;
}

CString operator+(const char* left, const CString& right) {
    CString result(left);
    result += right;
    return result;
}

bool operator==(const CString& left, const CString& right) {
    return left.GetLength() == right.GetLength() &&
           memcmp(left.GetString(), right.GetString(), (size_t)left.GetLength()) == 0;
}

bool operator==(const CString& left, const char* right) {
    return strcmp(left.GetString(), right ? right : "") == 0;
}

bool operator==(const char* left, const CString& right) {
    return right == left;
}

void CStringArray::SetSize(int count) {
    if (count < 0)
        count = 0;
    CString* items = count ? new CString[count] : nullptr;
    for (int i = 0; i < count && i < m_count; ++i)
        items[i] = static_cast<CString&&>(m_items[i]);
    delete[] m_items;
    m_items = items;
    m_count = count;
}
