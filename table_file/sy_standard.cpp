#include "table_file/sy_standard.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "platform/core/exceptions.h"
#include "platform/core/number_text.h"

namespace table_line {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
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

template <bool kKeepTexts>
bool LineSplitter::SplitLine(std::string_view line) {
    tokens_.clear();
    tooMany_ = false;
    // What is kept of a line is never longer than the line, so the buffer
    // does not move while the line is split and the tokens may point into it.
    buffer_.Reserve(line.size() + 1);
    auto add = [this](char kind, const char* data, size_t kept, size_t length) {
        if (tokens_.size() < limit_) {
            tokens_.push_back(Token{data, kept, length, kind});
        } else {
            tooMany_ = true;
        }
    };
    bool ok = true;
    ScanTokens<kKeepTexts, false, false>(line.data(), line.data() + line.size(), buffer_, add, ok);
    return ok;
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
    // A row may go anywhere up to one past the last; anything else is refused
    // before a row has moved.
    CheckListIndex(index, rowCount + 1);
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
