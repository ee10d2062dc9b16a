#include "platform/core/exceptions.h"

#include "platform/core/number_text.h"

std::string FormatMessage(std::string_view pattern, std::initializer_list<std::string_view> args) {
    std::string out;
    out.reserve(pattern.size() + 32);
    auto next = args.begin();
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c != '%' || i + 1 >= pattern.size()) {
            out.push_back(c);
            continue;
        }
        const char kind = pattern[i + 1];
        if (kind == '%') {
            out.push_back('%');
            ++i;
        } else if ((kind == 's' || kind == 'd') && next != args.end()) {
            out.append(*next++);
            ++i;
        } else {
            // An unknown placeholder, or one without an argument, stays as written.
            out.push_back(c);
        }
    }
    return out;
}

void RaiseListIndexError(int index) {
    throw EListError(FormatMessage(Msg::ListIndexError, {IntToStr(index)}));
}
