#include "platform/gui/file_selection.h"

#include <algorithm>

namespace {

// The NUL-terminated string at `offset`; the buffer's end also ends it.
std::string_view StringAt(const SelectionBuffer& buffer, std::size_t offset) {
    if (offset >= buffer.size())
        return {};
    const char* begin = buffer.data() + offset;
    const char* end = std::find(begin, buffer.data() + buffer.size(), '\0');
    return {begin, static_cast<std::size_t>(end - begin)};
}

bool EndsList(const SelectionBuffer& buffer, std::size_t offset) {
    return offset >= buffer.size() || buffer[offset] == '\0';
}

} // namespace

std::string JoinFolderAndName(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (!folder.ends_with('/'))
        path += '/';
    path += name;
    return path;
}

bool WriteSelection(SelectionBuffer& buffer, std::string_view folder,
                    const std::vector<std::string>& names) {
    std::string layout;
    if (names.size() == 1) {
        // The rest of the buffer is cleared, so no second NUL needs room.
        layout = JoinFolderAndName(folder, names.front());
        layout += '\0';
    } else {
        layout = folder;
        layout += '\0';
        for (const std::string& name : names) {
            layout += name;
            layout += '\0';
        }
        layout += '\0';
    }
    if (layout.size() > buffer.size())
        return false;
    buffer.fill('\0');
    std::copy(layout.begin(), layout.end(), buffer.begin());
    return true;
}

std::string SelectionPathName(const SelectionBuffer& buffer) {
    return std::string(StringAt(buffer, 0));
}

POSITION SelectionStart(const SelectionBuffer& buffer) {
    return buffer.data();
}

std::string NextSelectedPath(const SelectionBuffer& buffer, POSITION& position) {
    if (position == nullptr || position < buffer.data() ||
        position >= buffer.data() + buffer.size()) {
        position = nullptr;
        return {};
    }
    std::size_t offset = static_cast<std::size_t>(position - buffer.data());
    const std::string_view folder = StringAt(buffer, 0);
    if (offset == 0) {
        // The first string is a whole path when nothing follows it, else the
        // folder of the names after it.
        offset = folder.size() + 1;
        if (EndsList(buffer, offset)) {
            position = nullptr;
            return std::string(folder);
        }
    }
    const std::string_view name = StringAt(buffer, offset);
    offset += name.size() + 1;
    position = EndsList(buffer, offset) ? nullptr : buffer.data() + offset;
    return JoinFolderAndName(folder, name);
}
