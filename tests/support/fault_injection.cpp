#include "tests/support/fault_injection.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <stdexcept>
#include <utility>

namespace {

FaultInjector* g_active = nullptr;

FaultInjector& Active() {
    return *g_active;
}

// Ends an injected failure: the file goes first when it is to vanish, then
// the call reports its error number.
template <typename Result>
Result Fail(const FaultInjector::Decision& decision, const std::string& path, Result failed) {
    if (decision.failure.kind == Failure::vanished)
        Active().real().unlink(path.c_str());
    Active().Finish(-1, true, decision.failure.errorNumber);
    errno = decision.failure.errorNumber;
    return failed;
}

// Records the result of a call that did its ordinary work, keeping its errno.
template <typename Result> Result Done(Result result, long recorded, bool failed) {
    const int saved = errno;
    Active().Finish(recorded, false, failed ? saved : 0);
    errno = saved;
    return result;
}

int OpenHook(const char* path, int flags, mode_t mode) {
    const auto decision = Active().Arrive(SysCall::open, path, flags);
    if (decision.inject)
        return Fail(decision, path, -1);
    const int fd = Active().real().open(path, flags, mode);
    if (fd >= 0)
        Active().Opened(fd, path);
    return Done(fd, fd, fd < 0);
}

// The calls that take a descriptor and either succeed or fail.
template <SysCall kind, auto member, typename... Args> int DescriptorHook(int fd, Args... args) {
    const std::string path = Active().PathOf(fd);
    const auto decision = Active().Arrive(kind, path, 0);
    if (decision.inject)
        return Fail(decision, path, -1);
    const auto result = (Active().real().*member)(fd, args...);
    return Done(result, result, result < 0);
}

off_t LseekHook(int fd, off_t offset, int whence) {
    const std::string path = Active().PathOf(fd);
    const auto decision = Active().Arrive(SysCall::lseek, path, 0);
    if (decision.inject)
        return Fail(decision, path, off_t{-1});
    const off_t result = Active().real().lseek(fd, offset, whence);
    return Done(result, static_cast<long>(result), result < 0);
}

std::size_t ShortenedCount(std::size_t count) {
    return count > 1 ? count / 2 : count;
}

ssize_t ReadHook(int fd, void* buffer, std::size_t count) {
    const std::string path = Active().PathOf(fd);
    const auto decision = Active().Arrive(SysCall::read, path, static_cast<long>(count));
    if (decision.inject && decision.failure.kind == Failure::shortCount) {
        const ssize_t n = Active().real().read(fd, buffer, ShortenedCount(count));
        const int saved = errno;
        Active().Finish(n, true, n < 0 ? saved : 0);
        errno = saved;
        return n;
    }
    if (decision.inject && decision.failure.kind == Failure::noProgress) {
        Active().Finish(0, true, 0);
        return 0;
    }
    if (decision.inject)
        return Fail(decision, path, ssize_t{-1});
    const ssize_t n = Active().real().read(fd, buffer, count);
    return Done(n, n, n < 0);
}

ssize_t WriteHook(int fd, const void* buffer, std::size_t count) {
    const std::string path = Active().PathOf(fd);
    auto decision = Active().Arrive(SysCall::write, path, static_cast<long>(count));
    std::size_t allowed = count;
    if (decision.inject && decision.failure.kind == Failure::shortCount)
        allowed = ShortenedCount(count);
    if (decision.inject && decision.failure.kind == Failure::noProgress) {
        Active().Finish(0, true, 0);
        return 0;
    }
    if (decision.inject && decision.failure.kind != Failure::shortCount)
        return Fail(decision, path, ssize_t{-1});

    const std::size_t budget = Active().WriteAllowance(path, allowed);
    if (count > 0 && budget == 0)
        return Fail({true, Failure::Error(ENOSPC)}, path, ssize_t{-1});
    const bool shortened = decision.inject || budget < count;
    const ssize_t n = Active().real().write(fd, buffer, budget);
    const int saved = errno;
    if (n > 0)
        Active().Wrote(path, static_cast<std::size_t>(n));
    Active().Finish(n, shortened, n < 0 ? saved : 0);
    errno = saved;
    return n;
}

int CloseHook(int fd) {
    const std::string path = Active().PathOf(fd);
    const auto decision = Active().Arrive(SysCall::close, path, 0);
    // The descriptor is released whatever close reports.
    const int result = Active().real().close(fd);
    Active().Closed(fd);
    if (decision.inject)
        return Fail(decision, path, -1);
    return Done(result, result, result < 0);
}

template <SysCall kind, auto member, typename... Args>
int PathHook(const char* path, Args... args) {
    const auto decision = Active().Arrive(kind, path, 0);
    if (decision.inject)
        return Fail(decision, path, -1);
    const int result = (Active().real().*member)(path, args...);
    return Done(result, result, result < 0);
}

int RenameHook(const char* from, const char* to) {
    const auto decision = Active().Arrive(SysCall::rename, from, 0);
    if (decision.inject)
        return Fail(decision, from, -1);
    const int result = Active().real().rename(from, to);
    return Done(result, result, result < 0);
}

char* RealpathHook(const char* path, char* resolved) {
    const auto decision = Active().Arrive(SysCall::realpath, path, 0);
    if (decision.inject)
        return Fail(decision, path, static_cast<char*>(nullptr));
    char* result = Active().real().realpath(path, resolved);
    return Done(result, result != nullptr, result == nullptr);
}

char* GetcwdHook(char* buffer, std::size_t size) {
    const auto decision = Active().Arrive(SysCall::getcwd, "", 0);
    if (decision.inject)
        return Fail(decision, "", static_cast<char*>(nullptr));
    char* result = Active().real().getcwd(buffer, size);
    return Done(result, result != nullptr, result == nullptr);
}

ssize_t GetrandomHook(void* buffer, std::size_t count, unsigned flags) {
    const auto decision = Active().Arrive(SysCall::getrandom, "", static_cast<long>(count));
    if (decision.inject)
        return Fail(decision, "", ssize_t{-1});
    const ssize_t result = Active().real().getrandom(buffer, count, flags);
    return Done(result, result, result < 0);
}

} // namespace

const char* SysCallName(SysCall call) {
    static constexpr const char* names[] = {
        "open",   "flock",           "lseek",    "read",      "write",     "close",
        "fsync",  "sync_file_range", "fstat",    "ftruncate", "stat",      "lstat",
        "unlink", "rename",          "realpath", "getcwd",    "getrandom",
    };
    static_assert(std::size(names) == kSysCallKinds, "a name for every kind of call");
    return names[static_cast<int>(call)];
}

std::string Describe(const Failure& failure) {
    switch (failure.kind) {
    case Failure::shortCount:
        return "Short";
    case Failure::noProgress:
        return "NoProgress";
    case Failure::vanished:
        return "Vanished";
    case Failure::error:
        break;
    }
    if (failure.errorNumber == EWOULDBLOCK)
        return "EWOULDBLOCK"; // the name a lock refusal goes by
    const char* name = strerrorname_np(failure.errorNumber);
    return name ? name : "E" + std::to_string(failure.errorNumber);
}

// A new entry in the system-call table must get a kind and a wrapper here, or
// its calls would pass the injector unseen.
static_assert(sizeof(SystemCalls) == kSysCallKinds * sizeof(void (*)()),
              "every entry of the system-call table has a kind of call");

FaultInjector::FaultInjector() : m_saved(Sys()) {
    if (g_active != nullptr)
        throw std::logic_error("only one FaultInjector at a time");
    g_active = this;
    SystemCalls& table = Sys();
    table.open = OpenHook;
    table.flock = DescriptorHook<SysCall::flock, &SystemCalls::flock, int>;
    table.lseek = LseekHook;
    table.read = ReadHook;
    table.write = WriteHook;
    table.close = CloseHook;
    table.fsync = DescriptorHook<SysCall::fsync, &SystemCalls::fsync>;
    table.sync_file_range = DescriptorHook<SysCall::sync_file_range, &SystemCalls::sync_file_range,
                                           off_t, off_t, unsigned>;
    table.fstat = DescriptorHook<SysCall::fstat, &SystemCalls::fstat, struct stat*>;
    table.ftruncate = DescriptorHook<SysCall::ftruncate, &SystemCalls::ftruncate, off_t>;
    table.stat = PathHook<SysCall::stat, &SystemCalls::stat, struct stat*>;
    table.lstat = PathHook<SysCall::lstat, &SystemCalls::lstat, struct stat*>;
    table.unlink = PathHook<SysCall::unlink, &SystemCalls::unlink>;
    table.rename = RenameHook;
    table.realpath = RealpathHook;
    table.getcwd = GetcwdHook;
    table.getrandom = GetrandomHook;
}

FaultInjector::~FaultInjector() {
    Sys() = m_saved;
    g_active = nullptr;
}

void FaultInjector::Inject(SysCall call, int first, Failure failure, int times) {
    m_rules.push_back({call, first, times, failure});
}

void FaultInjector::LimitWrites(std::function<bool(const std::string&)> matches,
                                std::size_t budget) {
    m_limitMatches = std::move(matches);
    m_budget = budget;
}

int FaultInjector::Injected() const {
    int count = 0;
    for (const auto& record : m_calls)
        count += record.injected ? 1 : 0;
    return count;
}

FaultInjector::Decision FaultInjector::Arrive(SysCall call, const std::string& path, long detail) {
    const int nth = m_counts[static_cast<int>(call)]++;
    m_calls.push_back({call, nth, path, 0, 0, detail, false});
    for (const auto& rule : m_rules) {
        const bool inRange = nth >= rule.first && (rule.times < 0 || nth < rule.first + rule.times);
        if (rule.call == call && inRange)
            return {true, rule.failure};
    }
    return {};
}

void FaultInjector::Finish(long result, bool injected, int errorNumber) {
    CallRecord& record = m_calls.back();
    record.result = result;
    record.errorNumber = errorNumber;
    record.injected = injected;
}

std::string FaultInjector::PathOf(int fd) const {
    const auto found = m_paths.find(fd);
    return found == m_paths.end() ? std::string() : found->second;
}

std::size_t FaultInjector::WriteAllowance(const std::string& path, std::size_t count) const {
    if (!m_limitMatches || !m_limitMatches(path))
        return count;
    return std::min(count, m_budget);
}

void FaultInjector::Wrote(const std::string& path, std::size_t count) {
    if (m_limitMatches && m_limitMatches(path))
        m_budget -= std::min(count, m_budget);
}

int OpenDescriptorCount() {
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}
