#pragma once

#include "platform/gui/dialog_template.h"

// Control identifiers of the main dialog.
enum MainDialogControl : int {
    IDC_SOURCES = 1005,
    IDC_DESTINATION = 1010,
    IDC_PICK_SOURCES = 1011,
    IDC_PICK_DESTINATION = 1016,
};

constexpr int IDD_GRIBJOIN_DIALOG = 102;

// The main dialog's layout: nine controls in tab order.
const DialogTemplate& MainDialogTemplate();
