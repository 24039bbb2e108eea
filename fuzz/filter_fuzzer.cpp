// The conversion of a bar-separated filter into Qt name filters, given any
// text. The i-th filter must read "description (patterns)" with the i-th
// description exactly as written and the patterns as plain blank-separated
// words that Qt can match, none of them "*.*".
#include "platform/gui/file_filter.h"

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

std::vector<std::string> SplitAtBars(const std::string& text) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, '|'))
        parts.push_back(part);
    return parts;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The filter is a C string: it ends at the first NUL.
    const std::string raw(reinterpret_cast<const char*>(data), size);
    const std::string filter = raw.substr(0, raw.find('\0'));
    const std::vector<std::string> parts = SplitAtBars(filter);
    const std::vector<std::string> qtFilters = QtNameFilters(filter.c_str());

    for (std::size_t i = 0; i < qtFilters.size(); ++i) {
        const std::string& qtFilter = qtFilters[i];
        Check(2 * i < parts.size() && !parts[2 * i].empty());
        const std::string prefix = parts[2 * i] + " (";
        Check(qtFilter.compare(0, prefix.size(), prefix) == 0 && qtFilter.back() == ')');
        const std::string patterns =
            qtFilter.substr(prefix.size(), qtFilter.size() - prefix.size() - 1);
        Check(!patterns.empty() && patterns.front() != ' ' && patterns.back() != ' ');
        Check(patterns.find_first_of(";|\t\n\v\f\r") == std::string::npos);
        std::istringstream words(patterns);
        for (std::string word; words >> word;)
            Check(word != "*.*");
        Check(patterns.find("  ") == std::string::npos);
    }
    return 0;
}
