#pragma once

#include <vector>

// A dialog described as data: its size, caption and font, and its controls in
// creation order, which is also their tab order. Positions and sizes are in
// dialog units, which scale with the dialog's font (see dialog_units.h).

// Control styles, as bit flags.
enum ControlStyle : unsigned {
    WS_TABSTOP = 0x00010000,   // the control takes part in Tab navigation
    WS_GROUP = 0x00020000,     // starts a group of controls
    WS_BORDER = 0x00800000,    // drawn with a frame
    BS_PUSHBUTTON = 0x0000,    // an ordinary push button
    BS_DEFPUSHBUTTON = 0x0001, // the button that Enter presses when no button has focus
    ES_LEFT = 0x0000,          // left-aligned text
    ES_AUTOHSCROLL = 0x0080,   // scrolls sideways as the user types
    ES_READONLY = 0x0800,      // shows text that can be selected and copied, not edited
    SS_LEFT = 0x0000,          // left-aligned static text
};

enum class ControlKind { PushButton, Edit, Static };

struct ControlTemplate {
    ControlKind kind;
    int id; // -1 for controls that are never addressed
    const char* text;
    int x, y, cx, cy; // dialog units
    unsigned style;
    const char* objectName; // how tests and style sheets find the widget
};

struct DialogTemplate {
    int id;
    const char* caption;
    const char* fontFamily;
    int fontPointSize;
    int cx, cy; // client area, in dialog units
    std::vector<ControlTemplate> controls;
};
