#include "platform/core/show_message.h"

#include <cstdio>
#include <utility>

namespace {
ShowMessageHandler& Handler() {
    static ShowMessageHandler handler;
    return handler;
}
}  // namespace

void ShowMessage(const std::string& text) {
    // A copy, so that a handler may replace itself while it runs.
    ShowMessageHandler handler = Handler();
    if (handler) {
        handler(text);
    } else {
        std::fprintf(stderr, "%s\n", text.c_str());
    }
}

ShowMessageHandler SetShowMessageHandler(ShowMessageHandler handler) {
    return std::exchange(Handler(), std::move(handler));
}
