#pragma once

#include "platform/core/cstring.h"

#include <functional>

// Message box types and results, as bit fields of one unsigned value.
enum : unsigned {
    MB_OK = 0x0000,
    MB_ICONSTOP = 0x0010,
    MB_ICONEXCLAMATION = 0x0030,
    MB_ICONINFORMATION = 0x0040,
    MB_ICONMASK = 0x00F0,
    MB_SYSTEMMODAL = 0x1000,
};

enum : int { IDOK = 1, IDCANCEL = 2 };

// Shows `text` in a modal box with one OK button and returns the button
// pressed. A box that names no icon gets the exclamation icon. The box itself
// is whatever handler is installed: the dialog installs a real one; without
// one the text goes to standard error.
int AfxMessageBox(const CString& text, unsigned type = MB_OK, unsigned helpId = 0);

using MessageBoxHandler = std::function<int(const CString& text, unsigned type)>;

// Installs `handler` for every later AfxMessageBox and returns the one it
// replaces. An empty handler restores the standard-error fallback.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);
