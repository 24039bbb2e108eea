#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

// A fresh folder under the system's temporary folder, removed with all it
// holds when the object goes away. Every test keeps its files in one.
class ScopedTempDir {
public:
    ScopedTempDir();
    ~ScopedTempDir();
    ScopedTempDir(const ScopedTempDir&) = delete;
    ScopedTempDir& operator=(const ScopedTempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    // The full path of `name` inside the folder, as a string.
    std::string operator/(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);

// `size` bytes of a repeating, position-dependent pattern, so a dropped,
// doubled or shifted chunk changes the content.
std::string PatternBytes(std::size_t size, unsigned seed = 1);

// One bzip2 stream holding `plain`, made with libbzip2.
std::string Bz2Compress(const std::string& plain, int blockSize = 9);
