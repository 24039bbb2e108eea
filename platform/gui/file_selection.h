#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The result of a file dialog, laid out in one fixed buffer:
// - one file: its full path, then NUL (the rest of the buffer is NUL);
// - several files in one folder: the folder, NUL, each name followed by NUL,
//   and one more NUL at the end.
// The whole layout, NULs included, must fit into kSelectionCapacity bytes.
// Plain C++: no window system is needed to build or read a selection.

constexpr std::size_t kSelectionCapacity = 260;
using SelectionBuffer = std::array<char, kSelectionCapacity>;

// Where the next path of a selection starts; null after the last one.
using POSITION = const char*;

// Lays out the files `names` of `folder` in `buffer`. Returns false, leaving
// the buffer as it was, when the layout does not fit.
bool WriteSelection(SelectionBuffer& buffer, std::string_view folder,
                    const std::vector<std::string>& names);

// The first string of the buffer: for a single selection, the full path.
std::string SelectionPathName(const SelectionBuffer& buffer);

// The position of the first path: the start of the buffer.
POSITION SelectionStart(const SelectionBuffer& buffer);

// The full path at `position`; moves `position` to the next file, or sets it
// to null after the last one. Never reads outside the buffer.
std::string NextSelectedPath(const SelectionBuffer& buffer, POSITION& position);

// `folder` and `name` joined with one '/', or none when the folder already
// ends in one (a file in the root folder).
std::string JoinFolderAndName(std::string_view folder, std::string_view name);
