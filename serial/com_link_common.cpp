#include "com_link_common.h"

#include <utility>

THandle hComPort = 0;

namespace {

TComLinkHook Hook;

} // namespace

void SetComLinkHook(TComLinkHook hook) {
    Hook = std::move(hook);
}

const TComLinkHook& ComLinkHook() {
    return Hook;
}

void TComLink::ShowCommError(const std::string& operation) const {
    const std::string text = LastErrorText();
    const TComLinkHook& hook = ComLinkHook();
    if (hook.ShowErrorBox)
        hook.ShowErrorBox(operation, text);
    else
        ShowDefaultErrorBox(operation, text);
}

std::string TrimMessageText(std::string text) {
    while (!text.empty()) {
        const unsigned char last = static_cast<unsigned char>(text.back());
        if (last > 32 && last != '.')
            break;
        text.pop_back();
    }
    return text;
}
