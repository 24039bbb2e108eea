#pragma once

#include "platform/core/message_box.h"

#include <string>
#include <vector>

// Records every message box shown while it lives, in place of a real box.
class MessageRecorder {
public:
    struct Box {
        std::string text;
        unsigned type;
    };

    MessageRecorder();
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    const std::vector<Box>& boxes() const { return m_boxes; }
    std::vector<std::string> texts() const;

private:
    std::vector<Box> m_boxes;
    MessageBoxHandler m_previous;
};
