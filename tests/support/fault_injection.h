#pragma once

#include "platform/core/system_calls.h"

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <vector>

// The kinds of call in the system-call table, in the table's order.
enum class SysCall {
    open,
    flock,
    lseek,
    read,
    write,
    close,
    fsync,
    sync_file_range,
    fstat,
    ftruncate,
    stat,
    lstat,
    unlink,
    rename,
    realpath,
    getcwd,
    getrandom,
};
inline constexpr int kSysCallKinds = static_cast<int>(SysCall::getrandom) + 1;
const char* SysCallName(SysCall call);

// What an injected call does instead of its ordinary work.
struct Failure {
    enum Kind {
        error,      // fails with `errorNumber` and does nothing (close: see below)
        shortCount, // read or write: moves only part of the bytes asked for
        noProgress, // write: reports 0 bytes written and no error
        vanished,   // removes the file at the call's path, as another program
                    // might have just before, then fails with ENOENT
    };
    Kind kind = error;
    int errorNumber = 0;

    static Failure Error(int errorNumber) { return {error, errorNumber}; }
    static Failure Short() { return {shortCount, 0}; }
    static Failure NoProgress() { return {noProgress, 0}; }
    static Failure Vanished() { return {vanished, ENOENT}; }
};

std::string Describe(const Failure& failure);

// One call made through the table while an injector was installed.
struct CallRecord {
    SysCall call;
    int nth;          // its index among the calls of its kind, from 0
    std::string path; // the path it names, or the path its descriptor was opened with
    long result;      // what it returned (pointers: 0 or 1)
    int errorNumber;  // errno after it, when it failed
    long detail;      // open: the flags; read, write: the byte count asked for
    bool injected;
};

// Replaces every entry of the system-call table with a wrapper that records
// the call and, when a rule says so, fails it; the destructor restores the
// table. Only one injector may exist at a time.
//
// Close is special: Linux releases a descriptor whatever close reports, so an
// injected close failure first closes the descriptor and then reports the
// error, as the system would. Nothing else is done by a failing call.
class FaultInjector {
public:
    FaultInjector();
    ~FaultInjector();
    FaultInjector(const FaultInjector&) = delete;
    FaultInjector& operator=(const FaultInjector&) = delete;

    // Applies `failure` to the calls of kind `call` with index `first` (from
    // 0) onwards, `times` of them (-1: every one from `first` on).
    void Inject(SysCall call, int first, Failure failure, int times = 1);
    void FailNth(SysCall call, int nth, int errorNumber) {
        Inject(call, nth, Failure::Error(errorNumber));
    }

    // Lets writes to files whose path `matches` store `budget` bytes in all;
    // the write that reaches the budget stores what still fits, and every
    // later one fails with ENOSPC, as on a disk that fills up.
    void LimitWrites(std::function<bool(const std::string& path)> matches, std::size_t budget);

    const std::vector<CallRecord>& calls() const { return m_calls; }
    // The calls made of one kind so far.
    int Count(SysCall call) const { return m_counts[static_cast<int>(call)]; }
    // How many calls were made to fail or come back short.
    int Injected() const;

    // Used by the wrappers.
    struct Decision {
        bool inject = false;
        Failure failure;
    };
    Decision Arrive(SysCall call, const std::string& path, long detail);
    void Finish(long result, bool injected, int errorNumber);
    std::string PathOf(int fd) const;
    void Opened(int fd, const std::string& path) { m_paths[fd] = path; }
    void Closed(int fd) { m_paths.erase(fd); }
    // The bytes a write may store under LimitWrites; `count` when unlimited.
    std::size_t WriteAllowance(const std::string& path, std::size_t count) const;
    void Wrote(const std::string& path, std::size_t count);
    const SystemCalls& real() const { return m_saved; }

private:
    struct Rule {
        SysCall call;
        int first;
        int times;
        Failure failure;
    };

    SystemCalls m_saved;
    std::vector<Rule> m_rules;
    std::vector<CallRecord> m_calls;
    int m_counts[kSysCallKinds] = {};
    std::map<int, std::string> m_paths;
    std::function<bool(const std::string&)> m_limitMatches;
    std::size_t m_budget = 0;
};

// How many descriptors this process has open (the entries of /proc/self/fd).
int OpenDescriptorCount();
