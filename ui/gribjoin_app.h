#pragma once

#include "platform/gui/cwinapp.h"

// The application: shows the main dialog once and ends when it closes.
class CGribJoinApp : public CWinApp {
public:
    bool InitInstance() override;
};
