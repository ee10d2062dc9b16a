#pragma once
// Line tokenizer of the table file format and the string-grid row operations.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/ansi.h"
#include "platform/core/string_grid.h"
#include "platform/core/string_list.h"
#include "table_file/line_scanner.h"

// Splits one line of a table file (without its line break) into typed tokens,
// in the order in which they end: "s=" and a quoted text (quotes removed,
// escapes resolved), "b=true"/"b=false", "u=null", "n=" and a number as
// written. Empties tokens first. False when a backslash stands outside a
// quoted text or an unquoted token is neither empty, a keyword nor a number;
// the scan then stops and the entries found before stay in the list.
bool SplitTableLine(const AnsiString& line, TStringList& tokens);

// Inserts an empty row at index (0 to RowCount); the rows from index on move down.
void GridInsertRow(TStringGrid& grid, int index);
// Deletes the row at index; the rows below move up and the last row is dropped.
void GridDeleteRow(TStringGrid& grid, int index);
// Exchanges the texts of two rows in every column, the fixed ones included.
void GridSwapRows(TStringGrid& grid, int first, int second);

namespace table_line {

// True when text is a number as the format writes it: an optional sign, then
// a non-empty body of digits, optionally "." and digits, optionally an
// exponent (E or e, an optional sign, at least one digit).
bool IsNumberText(std::string_view text);

// The tokenizer behind SplitTableLine, without a string list: the values are
// views into a buffer that the splitter reuses from line to line, so a reader
// can split a million lines without allocating per value. The views point
// into the line or into the splitter and stay valid until the next split, as
// long as the line lives.
//
// A split may be given a token limit: tokens past it are checked as usual but
// not kept (Count stays at the limit and TooMany tells), so a line of millions
// of tokens costs no more memory than the line when only a few are wanted.
class LineSplitter {
  public:
    static constexpr size_t kNoLimit = static_cast<size_t>(-1);

    bool Split(std::string_view line, size_t limit = kNoLimit);
    // As Split, with the same result, kinds and lengths, but without keeping
    // the bytes of quoted texts: Value of an 's' token is then empty.
    bool Scan(std::string_view line, size_t limit = kNoLimit);

    size_t Count() const { return tokens_.size(); }
    // True when the last split found more tokens than its limit (also when it
    // failed further on).
    bool TooMany() const { return tooMany_; }
    // 's', 'b', 'u' or 'n'.
    char Kind(size_t i) const { return tokens_[i].kind; }
    std::string_view Value(size_t i) const {
        return std::string_view(tokens_[i].data, tokens_[i].kept);
    }
    // The length of the value in bytes (also after Scan).
    size_t Length(size_t i) const { return tokens_[i].length; }

  private:
    struct Token {
        const char* data;  // into the line or into buffer_
        size_t kept;
        size_t length;
        char kind;
    };
    template <bool kKeepTexts>
    bool SplitLine(std::string_view line);

    std::vector<Token> tokens_;
    size_t limit_ = kNoLimit;
    bool tooMany_ = false;
    ScanBuffer buffer_;
};

}  // namespace table_line
