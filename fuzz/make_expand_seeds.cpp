// Writes the seed corpus of the expansion target into the folder given as the
// only argument: small valid sources of one and many streams, and damaged,
// cut-short and foreign ones, each a few kilobytes at most.
#include <bzlib.h>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

std::string Compress(const std::string& plain, int blockSize = 9) {
    unsigned length = static_cast<unsigned>(plain.size() + plain.size() / 100 + 601);
    std::string out(length, '\0');
    if (BZ2_bzBuffToBuffCompress(out.data(), &length, const_cast<char*>(plain.data()),
                                 static_cast<unsigned>(plain.size()), blockSize, 0, 0) != BZ_OK)
        throw std::runtime_error("compression failed");
    out.resize(length);
    return out;
}

// Bytes that compress a little: a GRIB-like message with a varying field.
std::string Message(std::size_t size, unsigned seed) {
    std::string bytes = "GRIB";
    unsigned state = seed;
    while (bytes.size() + 4 < size) {
        state = state * 1103515245u + 12345u;
        bytes += static_cast<char>('0' + (state >> 16) % 8);
    }
    return bytes + "7777";
}

std::string Flip(std::string bytes, std::size_t at) {
    bytes[at % bytes.size()] = static_cast<char>(bytes[at % bytes.size()] ^ 0x20);
    return bytes;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::string small = Compress("GRIB small message 7777");
    const std::string message = Compress(Message(3000, 1));
    const std::string other = Compress(Message(1500, 2), 1);
    const std::vector<std::pair<std::string, std::string>> seeds = {
        {"empty-data", Compress("")},
        {"small", small},
        {"message", message},
        {"exact-piece", Compress(std::string(4096, 'G'))},
        {"long-runs", Compress(std::string(60000, '\0') + std::string(30000, 'x'))},
        {"block-size-1", other},
        {"two-streams", small + message},
        {"three-streams", other + Compress("") + small},
        {"trailing-garbage", small + "garbage after the stream"},
        {"trailing-zeros", small + std::string(16, '\0')},
        {"trailing-partial-header", small + "BZh"},
        {"cut-short", message.substr(0, message.size() / 2)},
        {"cut-before-end-marker", message.substr(0, message.size() - 6)},
        {"damaged-block", Flip(message, message.size() / 2)},
        {"damaged-stream-crc", Flip(message, message.size() - 2)},
        {"second-stream-cut-short", small + message.substr(0, message.size() / 3)},
        {"second-stream-damaged", small + Flip(message, message.size() / 3)},
        {"header-only", "BZh9"},
        {"bad-block-size", "BZh0" + message.substr(4)},
        {"not-bzip2", "GRIB plain data 7777"},
        {"empty-file", ""},
    };
    for (const auto& [name, bytes] : seeds) {
        std::ofstream out(std::string(argv[1]) + "/" + name, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", name.c_str());
            return 1;
        }
    }
    return 0;
}
