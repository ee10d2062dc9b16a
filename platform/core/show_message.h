#pragma once
// The platform's plain message box (caption = the application title, one OK
// button), behind a settable handler so that Qt-free code can show a message.
// The UI layer installs the real box; tests install a recorder.

#include <functional>
#include <string>

// text is UTF-8.
void ShowMessage(const std::string& text);

using ShowMessageHandler = std::function<void(const std::string& text)>;
// Installs handler and returns the one it replaces. Without a handler the text
// goes to standard error.
ShowMessageHandler SetShowMessageHandler(ShowMessageHandler handler);
