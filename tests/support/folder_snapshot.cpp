#include "tests/support/folder_snapshot.h"

#include "tests/support/test_files.h"

namespace fs = std::filesystem;

FolderSnapshot TakeSnapshot(const fs::path& folder) {
    FolderSnapshot snapshot;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::string name = entry.path().lexically_relative(folder).string();
        if (entry.is_symlink())
            snapshot[name] = "link " + fs::read_symlink(entry.path()).string();
        else if (entry.is_regular_file())
            snapshot[name] = "file " + ReadFile(entry.path().string());
        else if (entry.is_directory())
            snapshot[name] = "folder";
        else
            snapshot[name] = "other";
    }
    return snapshot;
}
