// The reading of a file dialog's result buffer, given any 260 bytes, and the
// writing of one. Reading must never go outside the buffer or loop, and must
// give back every path of a layout that was written.
#include "platform/gui/file_selection.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

// Reads every path of `buffer`: each step moves strictly forward, so a
// selection has at most as many paths as the buffer has bytes.
std::vector<std::string> ReadAll(const SelectionBuffer& buffer) {
    std::vector<std::string> paths;
    POSITION position = SelectionStart(buffer);
    while (position != nullptr) {
        const POSITION before = position;
        paths.push_back(NextSelectedPath(buffer, position));
        Check(position == nullptr || position > before);
        Check(paths.size() <= kSelectionCapacity);
        Check(paths.back().size() <= 2 * kSelectionCapacity);
    }
    return paths;
}

// Splits the input at NULs into a folder and names for a layout to write.
void CheckRoundTrip(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> parts;
    std::string part;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == '\0') {
            parts.push_back(part);
            part.clear();
        } else {
            part += static_cast<char>(data[i]);
        }
    }
    parts.push_back(part);
    if (parts.size() < 2 ||
        std::any_of(parts.begin(), parts.end(), [](const std::string& p) { return p.empty(); }))
        return;
    const std::string folder = parts.front();
    const std::vector<std::string> names(parts.begin() + 1, parts.end());

    SelectionBuffer buffer{};
    if (!WriteSelection(buffer, folder, names))
        return;
    std::vector<std::string> expected;
    for (const std::string& name : names)
        expected.push_back(JoinFolderAndName(folder, name));
    Check(ReadAll(buffer) == expected);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    SelectionBuffer buffer{};
    std::copy_n(data, std::min(size, buffer.size()), buffer.begin());
    ReadAll(buffer);
    SelectionPathName(buffer);
    CheckRoundTrip(data, size);
    return 0;
}
