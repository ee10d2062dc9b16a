#include "table_file/sy_standard.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "platform/core/number_text.h"

namespace table_line {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Bytes that end a run of plain bytes outside a quoted text.
bool IsOutsideSpecial(char c) {
    return c == ' ' || c == '"' || c == '\'' || c == ',' || c == '\\';
}

}  // namespace

bool IsNumberText(std::string_view text) {
    size_t i = 0;
    const size_t n = text.size();
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    const size_t bodyStart = i;
    while (i < n && IsDigit(text[i])) ++i;
    if (i < n && text[i] == '.') {
        ++i;
        while (i < n && IsDigit(text[i])) ++i;
    }
    if (i < n && (text[i] == 'E' || text[i] == 'e')) {
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
        const size_t digitsStart = i;
        while (i < n && IsDigit(text[i])) ++i;
        if (i == digitsStart) return false;
    }
    return i == n && i > bodyStart;
}

bool LineSplitter::EndUnquoted(const char* pending, const char* end) {
    // Trim bytes 0x00 to 0x20 at both ends; the trimmed text becomes the pending text.
    while (pending < end && static_cast<unsigned char>(*pending) <= 0x20) ++pending;
    while (end > pending && static_cast<unsigned char>(end[-1]) <= 0x20) --end;
    if (pending == end) return true;
    const std::string_view text(pending, static_cast<size_t>(end - pending));
    char kind;
    if (IsDigit(text[0]) || text[0] == '-' || text[0] == '+' || text[0] == '.' || text.size() > 5 ||
        text.size() < 4) {
        // Not a keyword: the number test decides.
        if (!IsNumberText(text)) return false;
        kind = 'n';
    } else if (text == "true" || text == "false") {
        kind = 'b';
    } else if (text == "null") {
        kind = 'u';
    } else if (IsNumberText(text)) {
        kind = 'n';
    } else {
        return false;
    }
    AddToken(Token{pending, text.size(), text.size(), kind});
    return true;
}

template <bool kKeepTexts>
bool LineSplitter::SplitLine(std::string_view line) {
    tokens_.clear();
    tooMany_ = false;
    // What is kept of a line is never longer than the line, so the buffer
    // does not move while the line is split and the tokens may point into it.
    if (capacity_ < line.size()) {
        capacity_ = std::max(line.size(), capacity_ * 2);
        buffer_.reset(new char[capacity_]);
    }
    const char* p = line.data();
    const char* const end = p + line.size();
    char* out = buffer_.get();
    const char* pending = out;  // the pending text is [pending, out)

    while (p < end) {
        const char c = *p;
        if (c == ' ') {
            ++p;
        } else if (c == ',') {
            if (!EndUnquoted(pending, out)) return false;
            pending = out;
            ++p;
        } else if (c == '\\') {
            return false;
        } else if (c == '"' || c == '\'') {
            // A quoted text; what is pending becomes its beginning.
            const char quote = c;
            ++p;
            size_t skipped = 0;  // bytes of the text not kept
            bool closed = false;
            while (p < end) {
                const char* run = p;
                while (p < end && *p != quote && *p != '\\') ++p;
                const size_t runLength = static_cast<size_t>(p - run);
                if (p < end && *p == quote && pending == out && skipped == 0) {
                    // The whole text stands unescaped in the line.
                    ++p;
                    AddToken(Token{kKeepTexts ? run : nullptr, kKeepTexts ? runLength : 0,
                                   runLength, 's'});
                    closed = true;
                    break;
                }
                if constexpr (kKeepTexts) {
                    std::memcpy(out, run, runLength);
                    out += runLength;
                } else {
                    skipped += runLength;
                }
                if (p == end) break;
                if (*p == quote) {
                    ++p;
                    const size_t kept = static_cast<size_t>(out - pending);
                    AddToken(Token{pending, kept, kept + skipped, 's'});
                    pending = out;
                    closed = true;
                    break;
                }
                // A backslash: the escape covers exactly the next byte.
                ++p;
                if (p == end) break;
                const char e = *p++;
                const bool single = e == ' ' || e == '"' || e == '\'' || e == '\\';
                if constexpr (kKeepTexts) {
                    if (!single) *out++ = '\\';
                    *out++ = e;
                } else {
                    skipped += single ? 1 : 2;
                }
            }
            if (!closed) break;  // an unclosed quoted text is dropped at the end of the line
        } else {
            const char* run = p;
            ++p;
            while (p < end && !IsOutsideSpecial(*p)) ++p;
            std::memcpy(out, run, static_cast<size_t>(p - run));
            out += p - run;
        }
    }
    // Whatever is still pending at the end of the line is dropped unclassified.
    return true;
}

bool LineSplitter::Split(std::string_view line, size_t limit) {
    limit_ = limit;
    return SplitLine<true>(line);
}
bool LineSplitter::Scan(std::string_view line, size_t limit) {
    limit_ = limit;
    return SplitLine<false>(line);
}

}  // namespace table_line

bool SplitTableLine(const AnsiString& line, TStringList& tokens) {
    tokens.Clear();
    table_line::LineSplitter splitter;
    const bool ok = splitter.Split(line);
    for (size_t i = 0; i < splitter.Count(); ++i) {
        const std::string_view value = splitter.Value(i);
        AnsiString entry;
        entry.reserve(value.size() + 2);
        entry.push_back(splitter.Kind(i));
        entry.push_back('=');
        entry.append(value);
        tokens.Add(std::move(entry));
    }
    return ok;
}

void GridInsertRow(TStringGrid& grid, int index) {
    const int rowCount = grid.RowCount();
    grid.SetRowCount(rowCount + 1);
    // From the bottom up, so that no row is overwritten before it has moved.
    for (int r = rowCount; r >= index + 1; --r) grid.Rows(r).Assign(grid.Rows(r - 1));
    grid.Rows(index).Clear();
}

void GridDeleteRow(TStringGrid& grid, int index) {
    const int rowCount = grid.RowCount();
    for (int r = index; r <= rowCount - 2; ++r) grid.Rows(r).Assign(grid.Rows(r + 1));
    grid.SetRowCount(rowCount - 1);
}

void GridSwapRows(TStringGrid& grid, int first, int second) {
    for (int c = 0; c < grid.ColCount(); ++c) {
        const AnsiString a = grid.Cells(c, first);
        const AnsiString b = grid.Cells(c, second);
        grid.SetCells(c, first, b);
        grid.SetCells(c, second, a);
    }
}
