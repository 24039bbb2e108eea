#include "ui/res/main_dialog_template.h"

#include "platform/core/message_box.h"
#include "ui/res/version.h"

const DialogTemplate& MainDialogTemplate() {
    static const DialogTemplate dialog{
        IDD_GRIBJOIN_DIALOG,
        // Short enough for the title bar of a dialog this narrow.
        GRIBJOIN_PRODUCT_NAME ": " GRIBJOIN_SHORT_DESCRIPTION ", Copyright (C) 2026",
        "Liberation Sans",
        8,
        303,
        79,
        {
            {ControlKind::PushButton, IDOK, "Combine", 94, 54, 50, 14,
             BS_DEFPUSHBUTTON | WS_TABSTOP, "combineButton"},
            {ControlKind::PushButton, IDCANCEL, "Done", 158, 54, 50, 14, BS_PUSHBUTTON | WS_TABSTOP,
             "doneButton"},
            // Read-only: what is joined is the picked list, never this text.
            {ControlKind::Edit, IDC_SOURCES, "", 73, 19, 206, 12,
             ES_LEFT | ES_AUTOHSCROLL | ES_READONLY | WS_BORDER | WS_TABSTOP, "sourcesEdit"},
            {ControlKind::PushButton, IDC_PICK_SOURCES, "...", 280, 18, 16, 14,
             BS_PUSHBUTTON | WS_TABSTOP, "pickSourcesButton"},
            {ControlKind::Static, -1, "Source GRB Files:", 7, 21, 59, 8, SS_LEFT | WS_GROUP,
             "sourcesLabel"},
            {ControlKind::Edit, IDC_DESTINATION, "", 73, 37, 206, 12,
             ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_GROUP | WS_TABSTOP, "destinationEdit"},
            {ControlKind::PushButton, IDC_PICK_DESTINATION, "...", 280, 36, 16, 14,
             BS_PUSHBUTTON | WS_TABSTOP, "pickDestinationButton"},
            {ControlKind::Static, -1, "Destination File:", 15, 39, 51, 8, SS_LEFT | WS_GROUP,
             "destinationLabel"},
            {ControlKind::Static, -1,
             "Use <CTRL>+Click or <SHIFT>+Click to select multiple files. ", 55, 7, 192, 8,
             SS_LEFT | WS_GROUP, "hintLabel"},
        },
    };
    return dialog;
}
