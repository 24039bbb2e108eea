#include "platform/core/cstring.h"

#include <cstdarg>
#include <cstdio>

namespace {

// UTF-8 continuation bytes (10xxxxxx) never start a character.
bool StartsCharacter(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
}

std::size_t FindOnBoundary(const std::string& text, std::string_view needle, std::size_t from) {
    for (auto pos = text.find(needle, from); pos != std::string::npos;
         pos = text.find(needle, pos + 1)) {
        if (pos == text.size() || StartsCharacter(text[pos]))
            return pos;
    }
    return std::string::npos;
}

} // namespace

CString& CString::MakeLower() {
    for (char& c : m_text) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return *this;
}

int CString::Find(std::string_view needle) const {
    const auto pos = FindOnBoundary(m_text, needle, 0);
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::Replace(std::string_view old, std::string_view replacement) {
    if (old.empty())
        return 0;
    std::string result;
    int count = 0;
    std::size_t copied = 0;
    for (auto pos = FindOnBoundary(m_text, old, 0); pos != std::string::npos;
         pos = FindOnBoundary(m_text, old, copied)) {
        result.append(m_text, copied, pos - copied);
        result.append(replacement);
        copied = pos + old.size();
        ++count;
    }
    if (count > 0) {
        result.append(m_text, copied);
        m_text = std::move(result);
    }
    return count;
}

void CString::Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    std::string text(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
    if (length > 0)
        std::vsnprintf(text.data(), text.size() + 1, format, args);
    va_end(args);
    m_text = std::move(text);
}

CString& CString::operator+=(const CString& text) {
    m_text.append(text.m_text);
    return *this;
}

CString& CString::operator+=(const char* text) {
    m_text.append(text ? text : "");
    return *this;
}

CString& CString::operator+=(char c) {
    m_text.push_back(c);
    return *this;
}
