#include "engine/bz2_expander.h"

#include "platform/core/system_calls.h"

#include <bzlib.h>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <string>
#include <unistd.h>
#include <utility>

namespace {

constexpr int kPieceSize = 4096;
constexpr off_t kWritebackStep = 8 << 20;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using InputFile = std::unique_ptr<std::FILE, FileCloser>;

int DescriptorOf(void* cookie) {
    return static_cast<int>(reinterpret_cast<std::intptr_t>(cookie));
}

ssize_t ReadSource(void* cookie, char* buffer, std::size_t count) {
    return RetryOnInterrupt(Sys().read, DescriptorOf(cookie), static_cast<void*>(buffer), count);
}

int CloseSource(void* cookie) {
    return Sys().close(DescriptorOf(cookie));
}

// Opens the compressed source as a stdio stream for libbzip2, whose reads and
// close go through the system-call table like every other file operation.
InputFile OpenSource(const CString& path) {
    const int fd =
        RetryOnInterrupt(Sys().open, path.GetString(), O_RDONLY | O_CLOEXEC | O_NOCTTY, mode_t{0});
    if (fd < 0)
        return nullptr;
    const cookie_io_functions_t io{ReadSource, nullptr, nullptr, CloseSource};
    std::FILE* file =
        fopencookie(reinterpret_cast<void*>(static_cast<std::intptr_t>(fd)), "rb", io);
    if (file == nullptr)
        Sys().close(fd);
    return InputFile(file);
}

bool WriteAll(int fd, const char* bytes, std::size_t count) {
    while (count > 0) {
        const ssize_t n = Sys().write(fd, bytes, count);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes += n;
        count -= static_cast<std::size_t>(n);
    }
    return true;
}

// Asks the system to start writing each kWritebackStep bytes of the expansion
// to disk as soon as they are written, so that the disk works while the
// decoder does and the flush before the rename waits only for the last part.
// Only a hint: a refusal changes nothing, since that flush reports any error.
class WritebackStarter {
public:
    explicit WritebackStarter(int fd) : m_fd(fd) {}
    void Wrote(std::size_t count) {
        m_written += static_cast<off_t>(count);
        if (m_written - m_started >= kWritebackStep) {
            Sys().sync_file_range(m_fd, m_started, m_written - m_started, SYNC_FILE_RANGE_WRITE);
            m_started = m_written;
        }
    }

private:
    int m_fd;
    off_t m_written = 0;
    off_t m_started = 0;
};

bool AtEndOfFile(std::FILE* file) {
    const int c = std::fgetc(file);
    if (c == EOF)
        return true;
    std::ungetc(c, file);
    return false;
}

// Expands every stream of `in` into `out`. True when each stream ended
// properly and every byte was written; trailing bytes that do not start a
// stream are ignored after the first stream, as the bzip2 tool ignores them.
bool ExpandStreams(std::FILE* in, int out) {
    char unused[BZ_MAX_UNUSED];
    int unusedCount = 0;
    char piece[kPieceSize];
    WritebackStarter writeback(out);

    for (int stream = 0;; ++stream) {
        int status = BZ_OK;
        BZFILE* bz = BZ2_bzReadOpen(&status, in, 0, 0, unused, unusedCount);
        if (bz == nullptr || status != BZ_OK) {
            int ignored;
            BZ2_bzReadClose(&ignored, bz);
            return false;
        }
        // The last piece of a stream arrives together with BZ_STREAM_END.
        while (status == BZ_OK) {
            const int count = BZ2_bzRead(&status, bz, piece, kPieceSize);
            if ((status == BZ_OK || status == BZ_STREAM_END) && count > 0) {
                if (!WriteAll(out, piece, static_cast<std::size_t>(count)))
                    status = BZ_IO_ERROR;
                else
                    writeback.Wrote(static_cast<std::size_t>(count));
            }
        }
        if (status != BZ_STREAM_END) {
            int ignored;
            BZ2_bzReadClose(&ignored, bz);
            return stream > 0 && status == BZ_DATA_ERROR_MAGIC;
        }

        // Whatever the library read past this stream's end starts the next.
        void* rest = nullptr;
        BZ2_bzReadGetUnused(&status, bz, &rest, &unusedCount);
        std::memcpy(unused, rest, static_cast<std::size_t>(unusedCount));
        BZ2_bzReadClose(&status, bz);
        if (unusedCount == 0 && AtEndOfFile(in))
            return std::ferror(in) == 0;
    }
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

// A new file beside its final path that disappears unless committed. Created
// with O_EXCL under a random name, so a name planted in the folder by someone
// else is never opened, and with mode 0666 so the umask gives the expanded
// copy the permissions of any new file.
class PendingFile {
public:
    explicit PendingFile(const std::string& finalPath) {
        const std::string folder = FolderOf(finalPath);
        const std::string name = finalPath.substr(finalPath.rfind('/') + 1).substr(0, 200);
        for (unsigned attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
            char suffix[16];
            std::snprintf(suffix, sizeof suffix, ".%08x", RandomNumber(attempt));
            m_path = (folder == "." ? std::string() : folder) + "." + name + suffix + ".part";
            m_fd = Sys().open(m_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                              0666);
            if (m_fd < 0 && errno != EEXIST && errno != EINTR)
                break;
        }
    }
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;
    ~PendingFile() {
        if (m_fd >= 0)
            Sys().close(m_fd);
        if (!m_committed && m_fd != kNeverCreated)
            Sys().unlink(m_path.c_str());
    }

    int fd() const { return m_fd; }

    // Flushes the file to disk, closes it and renames it onto `finalPath`.
    // A close that reports EINTR has still closed the file, and the data was
    // flushed before it, so it counts as closed.
    bool Commit(const std::string& finalPath) {
        const int fd = std::exchange(m_fd, kClosed);
        const bool flushed = RetryOnInterrupt(Sys().fsync, fd) == 0;
        const bool closed = Sys().close(fd) == 0 || errno == EINTR;
        m_committed = flushed && closed && Sys().rename(m_path.c_str(), finalPath.c_str()) == 0;
        return m_committed;
    }

private:
    // Random bits for a temporary name. Should the system have none to give,
    // the clock and the attempt still vary the name; O_EXCL keeps any name
    // safe, randomness only keeps others from guessing it.
    static unsigned RandomNumber(unsigned attempt) {
        unsigned value = 0;
        if (RetryOnInterrupt(Sys().getrandom, static_cast<void*>(&value), sizeof value, 0u) ==
            static_cast<ssize_t>(sizeof value))
            return value;
        const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
        return static_cast<unsigned>(ticks ^ (ticks >> 32)) ^ (attempt * 0x9E3779B9u);
    }

    static constexpr int kNeverCreated = -1;
    static constexpr int kClosed = -2;
    int m_fd = kNeverCreated;
    std::string m_path;
    bool m_committed = false;
};

} // namespace

int CBz2Expander::Expand(CString source, CString target) {
    const InputFile in = OpenSource(source);
    if (!in)
        return 0;
    PendingFile expanded(target.str());
    if (expanded.fd() < 0)
        return 0;
    if (!ExpandStreams(in.get(), expanded.fd()))
        return 0;
    return expanded.Commit(target.str()) ? 1 : 0;
}
