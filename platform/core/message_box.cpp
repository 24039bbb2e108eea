#include "platform/core/message_box.h"

#include <cstdio>
#include <utility>

namespace {

MessageBoxHandler& InstalledHandler() {
    static MessageBoxHandler handler;
    return handler;
}

} // namespace

int AfxMessageBox(const CString& text, unsigned type, unsigned /*helpId*/) {
    if ((type & MB_ICONMASK) == 0)
        type |= MB_ICONEXCLAMATION;
    if (const auto& handler = InstalledHandler())
        return handler(text, type);
    std::fprintf(stderr, "%s\n", text.GetString());
    return IDOK;
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
    return std::exchange(InstalledHandler(), std::move(handler));
}
