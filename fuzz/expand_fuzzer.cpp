// The expansion of arbitrary bytes. For every input the expander must either
// write exactly what an independent decode of all its streams gives, and
// report success, or report failure and leave the file at the target path as
// it was; it must never crash, hang, leak memory or descriptors, change its
// source or leave a temporary file.
#include "engine/bz2_expander.h"

#include <bzlib.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

// Inputs that expand to more than this are passed over: a few kilobytes can
// expand to gigabytes, which tells nothing new and only slows the search.
constexpr std::size_t kLargestExpansion = 1 << 20;

const std::string kEarlierCopy = "the file at the target path before the expansion";

enum class Verdict { complete, failed, tooLarge };

// The decode's working memory, kept from one input to the next: its block
// buffer (up to 3.6 MB) would otherwise be mapped and poisoned anew by
// AddressSanitizer for every input, which costs more than the decode itself.
class MemoryPool {
public:
    MemoryPool() = default;
    MemoryPool(const MemoryPool&) = delete;
    MemoryPool& operator=(const MemoryPool&) = delete;
    ~MemoryPool() {
        for (const auto& [memory, bytes] : m_free)
            std::free(memory);
    }

    static void* Allocate(void* opaque, int items, int size) {
        auto& pool = *static_cast<MemoryPool*>(opaque);
        const std::size_t bytes = static_cast<std::size_t>(items) * static_cast<std::size_t>(size);
        for (auto block = pool.m_free.begin(); block != pool.m_free.end(); ++block) {
            if (block->second == bytes) {
                void* memory = block->first;
                pool.m_free.erase(block);
                pool.m_inUse[memory] = bytes;
                return memory;
            }
        }
        void* memory = std::malloc(bytes);
        if (memory != nullptr)
            pool.m_inUse[memory] = bytes;
        return memory;
    }
    static void Free(void* opaque, void* memory) {
        auto& pool = *static_cast<MemoryPool*>(opaque);
        const auto block = pool.m_inUse.find(memory);
        if (block == pool.m_inUse.end())
            std::abort();
        pool.m_free.emplace_back(*block);
        pool.m_inUse.erase(block);
        if (pool.m_free.size() > 8) {
            std::free(pool.m_free.front().first);
            pool.m_free.erase(pool.m_free.begin());
        }
    }

private:
    std::vector<std::pair<void*, std::size_t>> m_free;
    std::map<void*, std::size_t> m_inUse;
};

// Decodes `data` in memory with libbzip2's low-level interface: one stream
// after another, each to its end. Bytes after a complete stream that do not
// begin another (the library finds no stream signature) are ignored; a
// stream that begins and does not end properly, or no stream at all, is a
// failure.
Verdict Decode(const std::uint8_t* data, std::size_t size, std::string& out) {
    static MemoryPool pool;
    std::size_t offset = 0;
    for (int stream = 0;; ++stream) {
        bz_stream z{};
        z.bzalloc = MemoryPool::Allocate;
        z.bzfree = MemoryPool::Free;
        z.opaque = &pool;
        if (BZ2_bzDecompressInit(&z, 0, 0) != BZ_OK)
            std::abort();
        z.next_in = const_cast<char*>(reinterpret_cast<const char*>(data + offset));
        z.avail_in = static_cast<unsigned>(size - offset);
        int status;
        for (;;) {
            char piece[65536];
            z.next_out = piece;
            z.avail_out = sizeof piece;
            status = BZ2_bzDecompress(&z);
            out.append(piece, sizeof piece - z.avail_out);
            if (out.size() > kLargestExpansion) {
                BZ2_bzDecompressEnd(&z);
                return Verdict::tooLarge;
            }
            // BZ_OK with room left over: the input ended inside the stream.
            if (status != BZ_OK || z.avail_out != 0)
                break;
        }
        const std::size_t rest = z.avail_in;
        BZ2_bzDecompressEnd(&z);
        if (status == BZ_STREAM_END) {
            offset = size - rest;
            if (offset == size)
                return Verdict::complete;
            continue;
        }
        if (status == BZ_DATA_ERROR_MAGIC && stream > 0)
            return Verdict::complete;
        return Verdict::failed;
    }
}

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "expand_fuzzer: %s\n", what);
        std::abort();
    }
}

void WriteWhole(const std::string& path, const void* bytes, std::size_t size) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    Require(fd >= 0, "cannot create a file in the work folder");
    Require(write(fd, bytes, size) == static_cast<ssize_t>(size), "cannot write the work folder");
    close(fd);
}

std::string ReadWhole(const std::string& path) {
    std::string content;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    Require(fd >= 0, "a file in the work folder is gone");
    char piece[65536];
    for (ssize_t n; (n = read(fd, piece, sizeof piece)) > 0;)
        content.append(piece, static_cast<std::size_t>(n));
    close(fd);
    return content;
}

int EntriesIn(const std::string& folder) {
    DIR* dir = opendir(folder.c_str());
    Require(dir != nullptr, "the work folder is gone");
    int count = 0;
    while (const dirent* entry = readdir(dir))
        count += entry->d_name[0] != '.' || std::string(entry->d_name).ends_with(".part");
    closedir(dir);
    return count;
}

// The lowest free descriptor: any descriptor the expander leaks moves it.
int LowestFreeDescriptor() {
    const int fd = open("/dev/null", O_RDONLY | O_CLOEXEC);
    close(fd);
    return fd;
}

// A private folder for the files of one fuzzing process, in memory when the
// system offers a memory file system, removed when the process ends.
struct Workspace {
    Workspace() {
        const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : P_tmpdir;
        std::string pattern = std::string(base) + "/gribjoin-fuzz-XXXXXX";
        Require(mkdtemp(pattern.data()) != nullptr, "cannot make a work folder");
        folder = pattern;
        source = folder + "/run.grb.bz2";
        target = folder + "/run.grb";
    }
    ~Workspace() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    static const Workspace& Instance() {
        static const Workspace workspace;
        return workspace;
    }
    std::string folder, source, target;
    int freeDescriptor = LowestFreeDescriptor();
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Workspace& work = Workspace::Instance();
    std::string expected;
    const Verdict verdict = Decode(data, size, expected);
    if (verdict == Verdict::tooLarge)
        return 0;

    WriteWhole(work.source, data, size);
    WriteWhole(work.target, kEarlierCopy.data(), kEarlierCopy.size());
    CBz2Expander expander;
    const int result = expander.Expand(work.source.c_str(), work.target.c_str());

    if (verdict == Verdict::complete) {
        Require(result == 1, "a complete source was reported as a failure");
        Require(ReadWhole(work.target) == expected, "the expansion differs from the decode");
    } else {
        Require(result == 0, "a failed source was reported as expanded");
        Require(ReadWhole(work.target) == kEarlierCopy, "a failed expansion changed the target");
    }
    Require(ReadWhole(work.source) == std::string(reinterpret_cast<const char*>(data), size),
            "the source changed");
    Require(EntriesIn(work.folder) == 2, "a temporary file was left behind");
    Require(LowestFreeDescriptor() == work.freeDescriptor, "a descriptor leaked");
    return 0;
}
