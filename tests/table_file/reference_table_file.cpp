// The table file reader and writer as they were before the single-buffer
// rewrite: two full tokenizer passes over the lines, a record at a time
// through Append, the field setters and Post, and a writer that walks the
// records with the cursor. Kept as the reference that the faster code is
// compared against; nothing here is tuned.

#include "tests/table_file/reference_table_file.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/core/exceptions.h"
#include "platform/core/number_text.h"
#include "platform/core/show_message.h"
#include "platform/core/string_list.h"

namespace reference {

namespace {

// ---------------------------------------------------------------- tokenizer

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
    void AddToken(const Token& token) {
        if (tokens_.size() < limit_) {
            tokens_.push_back(token);
        } else {
            tooMany_ = true;
        }
    }
    // Classifies the pending text at a comma outside quotes; false on a bad token.
    bool EndUnquoted(const char* pending, const char* end);

    std::vector<Token> tokens_;
    size_t limit_ = kNoLimit;
    bool tooMany_ = false;
    std::unique_ptr<char[]> buffer_;
    size_t capacity_ = 0;
};

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Bytes that end a run of plain bytes outside a quoted text.
bool IsOutsideSpecial(char c) {
    return c == ' ' || c == '"' || c == '\'' || c == ',' || c == '\\';
}

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

// ---------------------------------------------------------------- number text

// The largest double rounded to 15 significant digits, 1.79769313486232E308,
// is what the 15-digit number text makes of every value from about
// 1.7976931348623155E308 up: its digits and the power of ten of its first digit.
constexpr std::string_view kLargestDigits15 = "179769313486232";
constexpr long kLargestMagnitude = 308;

// True when the digits (leading zeros stripped, at most 15 significant ones)
// with their first digit at 10^magnitude stand for a value no larger than the
// 15-digit text of the largest double, that is, one that exceeds the largest
// double by less than half a unit in its 15th digit.
bool WithinLargestStep(std::string_view digits, long magnitude) {
    if (magnitude != kLargestMagnitude) return false;
    while (!digits.empty() && digits.back() == '0') digits.remove_suffix(1);
    if (digits.size() > kLargestDigits15.size()) return false;
    char padded[16];
    std::memset(padded, '0', kLargestDigits15.size());
    std::memcpy(padded, digits.data(), digits.size());
    return std::string_view(padded, kLargestDigits15.size()) <= kLargestDigits15;
}

// The value of a number whose conversion reported a result outside the range
// of a double: too large fails, except a value within the last 15-digit step
// above the largest double, which is the largest double (the number text of
// that double reads back); too small (nearer to zero than the smallest double)
// is zero.
bool OutOfRangeValue(std::string_view intDigits, std::string_view fracDigits,
                     std::string_view expDigits, bool expNegative, bool negative, double& value) {
    long exp = 0;
    for (char c : expDigits) {
        exp = exp * 10 + (c - '0');
        if (exp > 1000000) break;
    }
    if (expNegative) exp = -exp;
    size_t lead = 0;
    while (lead < intDigits.size() && intDigits[lead] == '0') ++lead;
    long magnitude;
    if (lead < intDigits.size()) {
        magnitude = static_cast<long>(intDigits.size() - lead) - 1 + exp;
    } else {
        size_t zeros = 0;
        while (zeros < fracDigits.size() && fracDigits[zeros] == '0') ++zeros;
        magnitude = exp - static_cast<long>(zeros) - 1;
    }
    if (magnitude > 0) {
        // The significant digits, from the first non-zero one.
        std::string digits;
        digits.reserve(intDigits.size() + fracDigits.size());
        digits.append(intDigits.substr(lead));
        digits.append(fracDigits);
        const size_t first = digits.find_first_not_of('0');
        if (first == std::string::npos ||
            !WithinLargestStep(std::string_view(digits).substr(first), magnitude)) {
            return false;
        }
        value = negative ? -std::numeric_limits<double>::max() : std::numeric_limits<double>::max();
        return true;
    }
    value = negative ? -0.0 : 0.0;
    return true;
}

bool TryStrToFloat(std::string_view text, double& value, char decimalMark) {
    size_t b = 0;
    size_t e = text.size();
    while (b < e && text[b] == ' ') ++b;
    while (e > b && text[e - 1] == ' ') --e;
    if (b == e) return false;

    size_t i = b;
    bool negative = false;
    if (text[i] == '+' || text[i] == '-') {
        negative = text[i] == '-';
        ++i;
    }
    const size_t intBegin = i;
    while (i < e && IsDigit(text[i])) ++i;
    const std::string_view intDigits = text.substr(intBegin, i - intBegin);
    bool hasMark = false;
    std::string_view fracDigits;
    if (i < e && text[i] == decimalMark) {
        hasMark = true;
        const size_t fracBegin = ++i;
        while (i < e && IsDigit(text[i])) ++i;
        fracDigits = text.substr(fracBegin, i - fracBegin);
    }
    if (intDigits.empty() && fracDigits.empty() && !hasMark) return false;
    bool expNegative = false;
    std::string_view expDigits;
    if (i < e && (text[i] == 'E' || text[i] == 'e')) {
        ++i;
        if (i < e && (text[i] == '+' || text[i] == '-')) {
            expNegative = text[i] == '-';
            ++i;
        }
        const size_t expBegin = i;
        while (i < e && IsDigit(text[i])) ++i;
        expDigits = text.substr(expBegin, i - expBegin);
    }
    if (i != e) return false;

    if (intDigits.empty() && fracDigits.empty()) {  // a lone decimal mark
        value = negative ? -0.0 : 0.0;
        return true;
    }

    // The same number in the form the standard conversion reads: "-" only,
    // "." as the mark, no exponent without digits.
    const size_t needed = intDigits.size() + fracDigits.size() + expDigits.size() + 4;
    char stackBuf[128];
    std::string heapBuf;
    char* buf = stackBuf;
    if (needed > sizeof stackBuf) {
        heapBuf.resize(needed);
        buf = heapBuf.data();
    }
    char* w = buf;
    if (negative) *w++ = '-';
    std::memcpy(w, intDigits.data(), intDigits.size());
    w += intDigits.size();
    if (!fracDigits.empty()) {
        *w++ = '.';
        std::memcpy(w, fracDigits.data(), fracDigits.size());
        w += fracDigits.size();
    }
    if (!expDigits.empty()) {
        *w++ = 'e';
        if (expNegative) *w++ = '-';
        std::memcpy(w, expDigits.data(), expDigits.size());
        w += expDigits.size();
    }

    double result = 0;
    const auto res = std::from_chars(buf, w, result, std::chars_format::general);
    if (res.ec == std::errc::result_out_of_range) {
        return OutOfRangeValue(intDigits, fracDigits, expDigits, expNegative, negative, value);
    }
    if (res.ec != std::errc() || res.ptr != w || std::isinf(result)) return false;
    value = result;
    return true;
}

// ---------------------------------------------------------------- number to text

// The digits d1d2...dn (no trailing zeros) and the exponent of value =
// d1.d2...dn x 10^exp10, value rounded to 15 significant digits. value is
// finite and positive.
int SignificantDigits(double value, char (&digits)[17], int& exp10) {
    char sci[40];
    int n = 0;
    const char* p = sci;
    const char* end;
    // For a normal value whose shortest exact form has at most 15 digits,
    // that form is also the value rounded to 15 digits, and it is much
    // cheaper to get than a rounding to 15 digits.
    bool shortest = false;
    if (std::isnormal(value)) {
        end = std::to_chars(sci, sci + sizeof sci, value, std::chars_format::scientific).ptr;
        for (; p < end && *p != 'e'; ++p) {
            if (*p == '.') continue;
            if (n == 16) break;
            digits[n++] = *p;
        }
        shortest = n <= 15;
    }
    if (!shortest) {
        end = std::to_chars(sci, sci + sizeof sci, value, std::chars_format::scientific, 14).ptr;
        n = 0;
        for (p = sci; p < end && *p != 'e'; ++p) {
            if (*p != '.') digits[n++] = *p;
        }
    }
    ++p;  // the 'e'
    const bool negative = *p == '-';
    exp10 = 0;
    for (++p; p < end; ++p) exp10 = exp10 * 10 + (*p - '0');
    if (negative) exp10 = -exp10;
    while (n > 1 && digits[n - 1] == '0') --n;
    return n;
}

void AppendFloatText(std::string& out, double value, char decimalMark) {
    if (std::isnan(value)) {
        out += "NAN";
        return;
    }
    if (std::isinf(value)) {
        out += value < 0 ? "-INF" : "INF";
        return;
    }
    if (value == 0) {  // negative zero too
        out.push_back('0');
        return;
    }
    if (std::fabs(value) < 1e15 && value == std::trunc(value)) {
        AppendIntText(out, static_cast<int64_t>(value));
        return;
    }
    if (value < 0) {
        out.push_back('-');
        value = -value;
    }

    char digits[17];
    int exp10 = 0;
    const int n = SignificantDigits(value, digits, exp10);
    // value = 0.d1d2... x 10^e
    const int e = exp10 + 1;

    if (e >= -3 && e <= 15) {
        if (e <= 0) {
            out.push_back('0');
            out.push_back(decimalMark);
            out.append(static_cast<size_t>(-e), '0');
            out.append(digits, static_cast<size_t>(n));
        } else if (n <= e) {
            out.append(digits, static_cast<size_t>(n));
            out.append(static_cast<size_t>(e - n), '0');
        } else {
            out.append(digits, static_cast<size_t>(e));
            out.push_back(decimalMark);
            out.append(digits + e, static_cast<size_t>(n - e));
        }
        return;
    }
    out.push_back(digits[0]);
    if (n > 1) {
        out.push_back(decimalMark);
        out.append(digits + 1, static_cast<size_t>(n - 1));
    }
    out.push_back('E');
    AppendIntText(out, e - 1);
}

// ---------------------------------------------------------------- reading the table

// Raised inside the reader's guard for the failures it detects itself.
struct LoadFailure {};

// The lines of the file's text, walked afresh for each pass instead of kept
// in a list, so that a file of many short lines costs no memory per line.
class TextLines {
  public:
    explicit TextLines(std::string_view text) : text_(text) {
        ForEachTextLine(text_, [this](std::string_view line) {
            if (count_++ == 2) header_ = line;
        });
    }
    size_t Count() const { return count_; }
    // The third line.
    std::string_view Header() const { return header_; }
    // Calls onLine for every record line: the fourth line to the last but one.
    template <class OnLine>
    void ForEachRecordLine(OnLine onLine) const {
        size_t n = 0;
        ForEachTextLine(text_, [&](std::string_view line) {
            if (n >= 3 && n + 1 < count_) onLine(line);
            ++n;
        });
    }

  private:
    std::string_view text_;
    std::string_view header_;
    size_t count_ = 0;
};

void ReadTable(const TextLines& lines, TClientDataSet& dataset) {
    const size_t lineCount = lines.Count();
    LineSplitter splitter;

    dataset.ResetStructure();

    // Header: the third line names the columns.
    std::vector<TFieldDef*> defs;
    if (!splitter.Split(lines.Header())) {
        ShowMessage(Msg::LoadError);
    } else {
        defs.reserve(splitter.Count());
        for (size_t j = 0; j < splitter.Count(); ++j) {
            TFieldDef& def = dataset.FieldDefs().AddFieldDef();
            defs.push_back(&def);
            def.SetName(AnsiString(splitter.Value(j)));
            def.SetDataType(ftString);
            def.SetSize(16);
        }
    }
    const size_t columnCount = defs.size();

    // Kind pass over the record lines. A line that does not split is passed
    // over here; the load pass fails on it.
    // Tokens past the last column are not kept: such a line fails the load
    // once its tokens up to the last column have been looked at.
    lines.ForEachRecordLine([&](std::string_view line) {
        if (!splitter.Scan(line, columnCount)) return;
        for (size_t j = 0; j < splitter.Count(); ++j) {
            TFieldDef& def = *defs[j];
            if (def.DataType() != ftString) continue;
            switch (splitter.Kind(j)) {
                case 'b':
                    def.SetDataType(ftBoolean);
                    break;
                case 'n':
                    def.SetDataType(ftFloat);
                    break;
                case 's': {
                    const size_t wanted = splitter.Length(j) + 16;
                    if (static_cast<size_t>(def.Size()) < wanted) {
                        def.SetSize(wanted > 0x7fffffff ? 0x7fffffff : static_cast<int>(wanted));
                    }
                    break;
                }
                default:
                    break;
            }
        }
        if (splitter.TooMany()) throw LoadFailure{};
    });

    // Create the dataset from the definitions (raises when there are none).
    // A table of more records than a dataset holds is refused before any is made.
    const size_t recordCount = lineCount - 4;
    if (recordCount > 0) dataset.CheckRoomForRecord(static_cast<int64_t>(recordCount - 1));
    dataset.Close();
    dataset.CreateDataSet();
    dataset.Open();

    // Load pass: one record per record line.
    std::vector<TField*> fields;
    std::vector<TFieldType> types;
    const int fieldCount = dataset.Fields().Count();
    for (int j = 0; j < fieldCount; ++j) {
        fields.push_back(&dataset.Fields()[j]);
        types.push_back(fields.back()->DataType());
    }
    std::string numberText;
    lines.ForEachRecordLine([&](std::string_view line) {
        if (!splitter.Split(line, fields.size()) || splitter.TooMany()) throw LoadFailure{};
        dataset.Append();
        for (size_t j = 0; j < splitter.Count(); ++j) {
            TField& field = *fields[j];
            const std::string_view value = splitter.Value(j);
            if (value == "null") {
                field.Clear();
                continue;
            }
            switch (types[j]) {
                case ftString:
                    field.SetAsString(value);
                    break;
                case ftBoolean:
                    field.SetAsBoolean(value == "true");
                    break;
                case ftFloat: {
                    // The file's "." is read as the decimal mark whatever the locale.
                    numberText.assign(value);
                    for (char& c : numberText) {
                        if (c == '.') c = ',';
                    }
                    double number = 0;
                    if (!TryStrToFloat(numberText, number, ',')) throw LoadFailure{};
                    field.SetAsFloat(number);
                    break;
                }
                default:
                    throw LoadFailure{};
            }
        }
        dataset.Post();
    });
    dataset.Close();
}

// ---------------------------------------------------------------- writing

// The bytes that a text value cannot hold as they are: the backslash, the
// quote character, and CR and LF, which the format cannot hold at all.
class SpecialBytes {
  public:
    explicit SpecialBytes(char quote) {
        for (const char c : {'\\', quote, '\r', '\n'})
            special_[static_cast<unsigned char>(c)] = true;
    }
    bool operator()(char c) const { return special_[static_cast<unsigned char>(c)]; }

  private:
    bool special_[256] = {};
};

// Appends a text value between quote characters: every backslash doubled,
// then a backslash put before every quote character. False (with out partly
// written) when the text holds a line break.
bool AppendQuotedText(std::string& out, std::string_view text, char quote,
                      const SpecialBytes& special) {
    out.push_back(quote);
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p < end) {
        const char* run = p;
        while (p < end && !special(*p)) ++p;
        out.append(run, static_cast<size_t>(p - run));
        if (p == end) break;
        const char c = *p++;
        if (c == '\r' || c == '\n') return false;
        if (c == '\\') {
            // The doubled backslash is itself escaped when the backslash is the quote character.
            out.append(quote == '\\' ? "\\\\\\\\" : "\\\\");
        } else {
            out.push_back('\\');
            out.push_back(c);
        }
    }
    out.push_back(quote);
    return true;
}

}  // namespace

bool LoadTableFile(const std::string& path, TClientDataSet& dataset) {
    FileBytes bytes;
    bytes.Load(path);
    const TextLines lines(bytes.View());
    if (lines.Count() < 4) return false;
    try {
        ReadTable(lines, dataset);
        return true;
    } catch (...) {
        try {
            dataset.Close();
        } catch (...) {
        }
        return false;
    }
}

bool SaveTableFile(const std::string& path, char quote, TDataSet& dataset) {
    try {
        std::string text;
        text.append("/* Quimbly Table Format 0.9 */\r\n");
        text.append("quiTables[quiTables.length] = new Array(\r\n");

        TFieldDefs& defs = dataset.FieldDefs();
        const int defCount = defs.Count();
        const SpecialBytes special(quote);
        for (int i = 0; i < defCount; ++i) {
            // Names are escaped as texts are, so that every name reads back.
            if (!AppendQuotedText(text, defs[i].Name(), quote, special)) return false;
            text.push_back(',');
        }
        text.append("\r\n");

        dataset.Open();
        dataset.First();
        TFields& fields = dataset.Fields();
        std::vector<TField*> columns;
        if (!dataset.Eof()) {
            for (int i = 0; i < defCount; ++i) columns.push_back(&fields[i]);
        }
        while (!dataset.Eof()) {
            for (TField* field : columns) {
                if (field->IsNull()) {
                    text.append("null,");
                    continue;
                }
                switch (field->DataType()) {
                    case ftString: {
                        if (!AppendQuotedText(text, field->AsString(), quote, special))
                            return false;
                        text.push_back(',');
                        break;
                    }
                    case ftSmallint:
                    case ftInteger:
                    case ftAutoInc:
                        AppendIntText(text, field->AsInteger());
                        text.push_back(',');
                        break;
                    case ftBoolean:
                        text.append(field->AsBoolean() ? "true," : "false,");
                        break;
                    case ftFloat: {
                        const double value = field->AsFloat();
                        if (!std::isfinite(value)) return false;
                        AppendFloatText(text, value, '.');
                        text.push_back(',');
                        break;
                    }
                    default:
                        break;  // other data types write nothing, not even the comma
                }
            }
            text.append("\r\n");
            dataset.Next();
        }

        AppendIntText(text, fields.Count());
        text.append(");\r\n");

        WriteFileAtomically(path, text);
        return true;
    } catch (...) {
        return false;
    }
}

std::string FloatTextPlain(double value, char decimalMark) {
    std::string out;
    AppendFloatText(out, value, decimalMark);
    return out;
}

bool TryStrToFloatPlain(std::string_view text, double& value, char decimalMark) {
    return TryStrToFloat(text, value, decimalMark);
}

}  // namespace reference
