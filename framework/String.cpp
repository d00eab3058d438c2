#include "String.h"

#include <stdlib.h>
#include <string.h>

CString::CString(const char* text) {
    operator=(text);
}

CString::CString(const char* text, int length) {
    Append(text, length);
}

CString::CString(CString&& other) noexcept
    : m_data(other.m_data), m_length(other.m_length), m_capacity(other.m_capacity) {
    other.m_data = nullptr;
    other.m_length = other.m_capacity = 0;
}

CString::~CString() {
    free(m_data);
}

CString& CString::operator=(const CString& other) {
    if (this == &other)
        return *this;
    m_length = 0;
    return Append(other.GetString(), other.m_length);
}

CString& CString::operator=(CString&& other) noexcept {
    if (this == &other)
        return *this;
    free(m_data);
    m_data = other.m_data;
    m_length = other.m_length;
    m_capacity = other.m_capacity;
    other.m_data = nullptr;
    other.m_length = other.m_capacity = 0;
    return *this;
}

CString& CString::operator=(const char* text) {
    if (!text)
        text = "";
    // The text may point into our own buffer.
    CString copy;
    copy.Append(text, (int)strlen(text));
    return *this = static_cast<CString&&>(copy);
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
    int at = (int)sizeof(digits);
    // Through unsigned, so the most negative value has a magnitude too.
    unsigned magnitude = value < 0 ? 0u - (unsigned)value : (unsigned)value;
    do {
        digits[--at] = (char)('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    if (value < 0)
        digits[--at] = '-';
    return CString(digits + at, (int)sizeof(digits) - at);
}

CString CString::Left(int count) const {
    if (count < 0)
        count = 0;
    if (count > m_length)
        count = m_length;
    return CString(GetString(), count);
}

CString CString::Mid(int first) const {
    if (first < 0)
        first = 0;
    if (first >= m_length)
        return CString();
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

int CStringArray::Add(const CString& item) {
    CString copy(item);
    SetSize(m_count + 1);
    m_items[m_count - 1] = static_cast<CString&&>(copy);
    return m_count - 1;
}
