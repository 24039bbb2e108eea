#include "tests/support/message_recorder.h"

MessageRecorder::MessageRecorder() {
    m_previous = SetMessageBoxHandler([this](const CString& text, unsigned type) {
        m_boxes.push_back({text.str(), type});
        return static_cast<int>(IDOK);
    });
}

MessageRecorder::~MessageRecorder() {
    SetMessageBoxHandler(std::move(m_previous));
}

std::vector<std::string> MessageRecorder::texts() const {
    std::vector<std::string> result;
    for (const auto& box : m_boxes)
        result.push_back(box.text);
    return result;
}
