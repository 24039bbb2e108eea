// A headless front end for the combine engine, used by the benchmark.
//
//   gribjoin-bench-driver DESTINATION SOURCE...
//       runs Combine: the destination is replaced by the joined sources.
//   gribjoin-bench-driver --append DESTINATION SOURCE...
//       runs only the append step, Append(source, destination) for each
//       source in turn, so the sources land after what the destination holds.
//
// Messages that the engine would show in a box are written to standard error.
// The exit status is 0 when the run showed no message and raised nothing,
// 1 when it showed a message, 2 when it raised an exception, 64 on bad usage.

#include "engine/append.h"
#include "engine/combine.h"
#include "platform/core/cstring.h"
#include "platform/core/cstring_array.h"
#include "platform/core/exception_report.h"
#include "platform/core/message_box.h"

#include <cstdio>
#include <cstring>
#include <exception>

namespace {

constexpr int kExitMessage = 1;
constexpr int kExitException = 2;
constexpr int kExitUsage = 64;

int Usage() {
    std::fprintf(stderr, "usage: gribjoin-bench-driver [--append] DESTINATION SOURCE...\n");
    return kExitUsage;
}

} // namespace

int main(int argc, char** argv) {
    int next = 1;
    bool appendOnly = false;
    if (next < argc && std::strcmp(argv[next], "--append") == 0) {
        appendOnly = true;
        ++next;
    }
    if (argc - next < 2)
        return Usage();

    const CString destination(argv[next++]);
    CStringArray sources;
    for (; next < argc; ++next)
        sources.Add(CString(argv[next]));

    int messages = 0;
    SetMessageBoxHandler([&messages](const CString& text, unsigned /*type*/) {
        ++messages;
        std::fprintf(stderr, "gribjoin-bench-driver: message: %s\n", text.GetString());
        return static_cast<int>(IDOK);
    });

    try {
        if (appendOnly) {
            for (const CString& source : sources)
                Append(source, destination);
        } else {
            Combine(sources, destination);
        }
    } catch (...) {
        ReportException(std::current_exception());
        std::fprintf(stderr, "gribjoin-bench-driver: the run ended with an exception\n");
        return kExitException;
    }
    return messages == 0 ? 0 : kExitMessage;
}
