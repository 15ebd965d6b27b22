// Records what TComLink asks of the window: error boxes and stop requests.
#pragma once

#include "com_link.h"

#include <string>
#include <utility>
#include <vector>

class THookRecorder {
public:
    THookRecorder() {
        TComLinkHook hook;
        hook.ShowErrorBox = [this](const std::string& caption, const std::string& text) {
            Events.push_back("box " + caption);
            Boxes.emplace_back(caption, text);
        };
        hook.RequestStop = [this] { Events.push_back("stop"); };
        SetComLinkHook(hook);
    }
    ~THookRecorder() { SetComLinkHook(TComLinkHook{}); }
    THookRecorder(const THookRecorder&) = delete;
    THookRecorder& operator=(const THookRecorder&) = delete;

    std::vector<std::string> Events;
    std::vector<std::pair<std::string, std::string>> Boxes;
};
