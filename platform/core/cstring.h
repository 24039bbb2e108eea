#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// A narrow byte string holding UTF-8 text, with the handful of operations the
// combine engine and the dialog use. Searches never report a match that begins
// inside a multi-byte character, and MakeLower folds ASCII letters only, so no
// operation can split a character or change the length of a non-ASCII one.
class CString {
public:
    CString() = default;
    CString(const char* text) : m_text(text ? text : "") {}
    CString(std::string text) : m_text(std::move(text)) {}
    explicit CString(std::string_view text) : m_text(text) {}

    const char* GetString() const { return m_text.c_str(); }
    const std::string& str() const { return m_text; }
    std::size_t GetLength() const { return m_text.size(); }
    bool IsEmpty() const { return m_text.empty(); }

    // Lower-cases A-Z in place; every other byte stays as it is.
    CString& MakeLower();

    // The byte offset of the first occurrence of `needle` that starts on a
    // character boundary, or -1 when there is none.
    int Find(std::string_view needle) const;

    // Replaces every occurrence of `old` in one pass from left to right; the
    // search resumes after the replaced text, so "bbz2z2" with "bz2" -> ""
    // gives "bz2". Returns the number of replacements.
    int Replace(std::string_view old, std::string_view replacement);

    // printf-style formatting into this string.
    void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));

    CString& operator+=(const CString& text);
    CString& operator+=(const char* text);
    CString& operator+=(char c);

    friend CString operator+(CString left, const CString& right) { return left += right; }
    friend CString operator+(CString left, const char* right) { return left += right; }
    friend bool operator==(const CString&, const CString&) = default;

private:
    std::string m_text;
};
