// Arbitrary bytes as one line of a table file: the tokenizer must not crash,
// and every entry it gives must have the form its kind letter promises.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "table_file/sy_standard.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const AnsiString line(reinterpret_cast<const char*>(data), size);
    TStringList tokens;
    const bool ok = SplitTableLine(line, tokens);

    size_t separators = 0;  // every entry ends at a comma or a closing quote
    for (const char c : line) separators += (c == ',' || c == '"' || c == '\'');
    if (static_cast<size_t>(tokens.Count()) > separators) std::abort();

    for (int i = 0; i < tokens.Count(); ++i) {
        const AnsiString& e = tokens[i];
        if (e.size() < 2 || e[1] != '=') std::abort();
        const std::string_view v(e.data() + 2, e.size() - 2);
        switch (e[0]) {
            case 's':
                break;
            case 'b':
                if (v != "true" && v != "false") std::abort();
                break;
            case 'u':
                if (v != "null") std::abort();
                break;
            case 'n':
                if (!table_line::IsNumberText(v)) std::abort();
                break;
            default:
                std::abort();
        }
    }

    // The scan without texts agrees with the split on result, kinds and lengths.
    table_line::LineSplitter splitter;
    if (splitter.Scan(line) != ok || splitter.Count() != static_cast<size_t>(tokens.Count()))
        std::abort();
    for (size_t i = 0; i < splitter.Count(); ++i) {
        const AnsiString& e = tokens[static_cast<int>(i)];
        if (splitter.Kind(i) != e[0] || splitter.Length(i) != e.size() - 2) std::abort();
    }

    // A line rebuilt from the texts, escaped as the writer does, gives them back.
    if (ok) {
        std::string rebuilt;
        bool allTexts = true;
        for (int i = 0; i < tokens.Count(); ++i) {
            const AnsiString& e = tokens[i];
            if (e[0] != 's' || e.find_first_of("\r\n") != std::string::npos) {
                allTexts = false;
                break;
            }
            rebuilt.push_back('"');
            for (const char c : std::string_view(e).substr(2)) {
                if (c == '\\') rebuilt.push_back('\\');
                if (c == '"') rebuilt.push_back('\\');
                rebuilt.push_back(c);
            }
            rebuilt.append("\",");
        }
        if (allTexts) {
            TStringList again;
            if (!SplitTableLine(rebuilt, again) || again.Items() != tokens.Items()) std::abort();
        }
    }
    return 0;
}
