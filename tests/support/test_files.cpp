#include "tests/support/test_files.h"

#include <bzlib.h>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

ScopedTempDir::ScopedTempDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "gribjoin-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot create a temporary folder");
    m_path = pattern;
}

ScopedTempDir::~ScopedTempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::string PatternBytes(std::size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    unsigned state = seed * 2654435761u + 1;
    for (std::size_t i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        bytes[i] = static_cast<char>((state >> 16) ^ (i >> 8));
    }
    return bytes;
}

std::string Bz2Compress(const std::string& plain, int blockSize) {
    // bzip2's worst case is 1% larger plus 600 bytes.
    unsigned int length = static_cast<unsigned int>(plain.size() + plain.size() / 100 + 601);
    std::string compressed(length, '\0');
    const int status =
        BZ2_bzBuffToBuffCompress(compressed.data(), &length, const_cast<char*>(plain.data()),
                                 static_cast<unsigned int>(plain.size()), blockSize, 0, 0);
    if (status != BZ_OK)
        throw std::runtime_error("bzip2 compression failed");
    compressed.resize(length);
    return compressed;
}
