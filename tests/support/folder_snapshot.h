#pragma once

#include <filesystem>
#include <map>
#include <string>

// What a folder holds, recursively, keyed by path relative to the folder:
// "file " plus the bytes of each regular file, "link " plus the target of each
// symbolic link (never followed), "folder" and "other" for the rest.
using FolderSnapshot = std::map<std::string, std::string>;

FolderSnapshot TakeSnapshot(const std::filesystem::path& folder);
