#pragma once

#include "platform/core/cstring.h"

// Shows `text` in a modal QMessageBox with one OK button, owned by the main
// window, captioned with the application's name, with the icon that `type`
// names. Installed as the message-box handler while the program runs.
int ShowQtMessageBox(const CString& text, unsigned type);
