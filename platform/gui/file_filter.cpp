#include "platform/gui/file_filter.h"

#include <string_view>

namespace {

std::vector<std::string_view> Split(std::string_view text, std::string_view separators) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find_first_of(separators, start), text.size());
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::string QtPatterns(std::string_view patterns) {
    std::string result;
    for (std::string_view pattern : Split(patterns, "; \t\n\v\f\r")) {
        if (pattern.empty())
            continue;
        if (!result.empty())
            result += ' ';
        result += pattern == "*.*" ? std::string_view("*") : pattern;
    }
    return result;
}

} // namespace

std::vector<std::string> QtNameFilters(const char* filter) {
    std::vector<std::string> filters;
    if (filter == nullptr)
        return filters;
    const std::vector<std::string_view> parts = Split(filter, "|");
    // Pairs of description and patterns; an empty description ends the list.
    for (std::size_t i = 0; i + 1 < parts.size() && !parts[i].empty(); i += 2) {
        const std::string patterns = QtPatterns(parts[i + 1]);
        filters.push_back(std::string(parts[i]) + " (" + (patterns.empty() ? "*" : patterns) + ")");
    }
    return filters;
}
