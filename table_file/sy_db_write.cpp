// Writing a table file, piece by piece as its text is made.

#include "table_file/sy_db.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/core/large_memory.h"
#include "platform/core/number_text.h"
#include "platform/core/string_list.h"

namespace {

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

// The text of the file being written (see LargeBytes).
using TextBuffer = LargeBytes;

// Texts up to this length are escaped straight into room reserved for
// their worst case; longer ones run by run, so that a save never asks for
// room that it does not use.
constexpr size_t kDirectEscapeLimit = 4096;

// Writes the escape of the special byte c at w; false for a line break.
inline bool PutEscape(char*& w, char c, char quote) {
    if (c == '\r' || c == '\n') return false;
    if (c == '\\') {
        // The doubled backslash is itself escaped when the backslash is the quote character.
        const int n = quote == '\\' ? 4 : 2;
        for (int k = 0; k < n; ++k) *w++ = '\\';
    } else {
        *w++ = '\\';
        *w++ = c;
    }
    return true;
}

// Appends a text value between quote characters: every backslash doubled,
// then a backslash put before every quote character. False (with out partly
// written) when the text holds a line break.
bool AppendQuotedText(TextBuffer& out, std::string_view text, char quote,
                      const SpecialBytes& special) {
    const char* p = text.data();
    const char* const end = p + text.size();
    if (text.size() <= kDirectEscapeLimit) {
        // Room for the worst case (every byte escaped to four) and for a
        // block of 16 written whole; the bytes go over in blocks of 16 up to
        // each special one where the processor compares 16 at once.
        out.Reserve(4 * text.size() + 2 + 16);
        char* const start = out.Cursor();
        char* w = start;
        *w++ = quote;
#if defined(__SSE2__)
        const __m128i backslash = _mm_set1_epi8('\\');
        const __m128i quoteByte = _mm_set1_epi8(quote);
        const __m128i cr = _mm_set1_epi8('\r');
        const __m128i lf = _mm_set1_epi8('\n');
        while (end - p >= 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(w), v);
            const __m128i hit = _mm_or_si128(
                _mm_or_si128(_mm_cmpeq_epi8(v, backslash), _mm_cmpeq_epi8(v, quoteByte)),
                _mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf)));
            const auto mask = static_cast<unsigned>(_mm_movemask_epi8(hit));
            if (mask == 0) {
                p += 16;
                w += 16;
                continue;
            }
            const auto n = static_cast<unsigned>(__builtin_ctz(mask));
            p += n;
            w += n;
            if (!PutEscape(w, *p++, quote)) return false;
        }
#endif
        for (; p < end; ++p) {
            const char c = *p;
            if (!special(c)) {
                *w++ = c;
            } else if (!PutEscape(w, c, quote)) {
                return false;
            }
        }
        *w++ = quote;
        out.Advance(static_cast<size_t>(w - start));
        return true;
    }
    out.Push(quote);
    while (p < end) {
        const char* run = p;
        while (p < end && !special(*p)) ++p;
        out.Append(run, static_cast<size_t>(p - run));
        if (p == end) break;
        char escape[4];
        char* w = escape;
        if (!PutEscape(w, *p++, quote)) return false;
        out.Append(escape, static_cast<size_t>(w - escape));
    }
    out.Push(quote);
    return true;
}

// The text of a table file, made in pieces of about kPieceBytes from the
// records as the dataset's view shows them.
class TableText final : public FileText {
  public:
    static constexpr size_t kPieceBytes = size_t{1} << 20;

    TableText(char quote, TDataSet& dataset)
        : quote_(quote), special_(quote), dataset_(dataset), fields_(dataset.Fields()) {
        const int defCount = dataset.FieldDefs().Count();
        recordCount_ = dataset.RecordCount();
        if (recordCount_ == 0) return;
        // Each column's values straight from its storage when it keeps them
        // as the field's type reads them; otherwise through the view readers.
        using TKind = TDataSet::TViewColumn::TKind;
        for (int i = 0; i < defCount; ++i) {
            Plan plan{Plan::Other, i, dataset.ViewColumn(i)};
            const TKind kind = plan.column.kind;
            switch (fields_[i].DataType()) {
                case ftString:
                    plan.how = kind == TKind::Text ? Plan::Text : Plan::ViewText;
                    break;
                case ftSmallint:
                case ftInteger:
                case ftAutoInc:
                    plan.how = kind == TKind::Integer ? Plan::Integer : Plan::ViewInteger;
                    break;
                case ftBoolean:
                    plan.how = kind == TKind::Boolean ? Plan::Boolean : Plan::ViewBoolean;
                    break;
                case ftFloat:
                    plan.how = kind == TKind::Float ? Plan::Float : Plan::ViewFloat;
                    break;
                default:
                    break;
            }
            plans_.push_back(plan);
        }
        view_ = plans_.empty() ? nullptr : plans_.front().column.records;
    }

    bool Make(const Put& put) const override {
        static constexpr std::string_view kOpening =
            "/* Quimbly Table Format 0.9 */\r\nquiTables[quiTables.length] = new Array(\r\n";
        TextBuffer text;
        text.Reserve(kPieceBytes + 4096);
        text.Append(kOpening);
        TFieldDefs& defs = dataset_.FieldDefs();
        for (int i = 0; i < defs.Count(); ++i) {
            // Names are escaped as texts are, so that every name reads back.
            if (!AppendQuotedText(text, defs[i].Name(), quote_, special_)) return false;
            text.Push(',');
        }
        text.Append("\r\n", 2);
        for (int r = 0; r < recordCount_; ++r) {
            if (!AppendRecord(text, r)) return false;
            if (text.View().size() >= kPieceBytes) {
                put(text.View());
                text.Clear();
            }
        }
        char count[24];
        text.Append(count,
                    static_cast<size_t>(
                        std::to_chars(count, count + sizeof count, fields_.Count()).ptr - count));
        text.Append(");\r\n", 4);
        put(text.View());
        return true;
    }

  private:
    // How one column is written: straight from its storage (by record
    // number), through the dataset's view readers, or not at all.
    struct Plan {
        enum How : uint8_t {
            Text,
            Float,
            Boolean,
            Integer,
            ViewText,
            ViewFloat,
            ViewBoolean,
            ViewInteger,
            Other
        } how;
        int field;
        TDataSet::TViewColumn column;
    };

    static void AppendInteger(TextBuffer& text, int64_t value) {
        text.Reserve(24);
        char* w = text.Cursor();
        char* e = std::to_chars(w, w + 23, value).ptr;
        *e++ = ',';
        text.Advance(static_cast<size_t>(e - w));
    }
    static bool AppendFloat(TextBuffer& text, double value) {
        if (!std::isfinite(value)) return false;
        text.Reserve(kMaxFloatTextLength + 1);
        char* w = text.Cursor();
        char* e = WriteFloatText(w, value, '.');
        *e++ = ',';
        text.Advance(static_cast<size_t>(e - w));
        return true;
    }
    static void AppendBoolean(TextBuffer& text, bool value) {
        if (value) {
            text.Append("true,", 5);
        } else {
            text.Append("false,", 6);
        }
    }
    bool AppendText(TextBuffer& text, std::string_view value) const {
        if (!AppendQuotedText(text, value, quote_, special_)) return false;
        text.Push(',');
        return true;
    }

    // The line of the record at view position r; false when a value cannot be written.
    bool AppendRecord(TextBuffer& text, int r) const {
        const int32_t rec = view_ != nullptr ? view_[r] : -1;
        for (const Plan& plan : plans_) {
            const TDataSet::TViewColumn& c = plan.column;
            const bool direct = plan.how < Plan::ViewText;
            if (direct ? c.nulls[rec] != 0 : dataset_.ViewIsNull(r, plan.field)) {
                text.Append("null,", 5);
                continue;
            }
            switch (plan.how) {
                case Plan::Text:
                    if (!AppendText(text,
                                    std::string_view(c.texts + c.offsets[rec], c.lengths[rec])))
                        return false;
                    break;
                case Plan::Float:
                    if (!AppendFloat(text, c.floats[rec])) return false;
                    break;
                case Plan::Boolean:
                    AppendBoolean(text, c.booleans[rec] != 0);
                    break;
                case Plan::Integer:
                    AppendInteger(text, c.integers[rec]);
                    break;
                case Plan::ViewText:
                    if (!AppendText(text, dataset_.ViewText(r, plan.field))) return false;
                    break;
                case Plan::ViewFloat:
                    if (!AppendFloat(text, dataset_.ViewFloat(r, plan.field))) return false;
                    break;
                case Plan::ViewBoolean:
                    AppendBoolean(text, dataset_.ViewBoolean(r, plan.field));
                    break;
                case Plan::ViewInteger:
                    AppendInteger(text, dataset_.ViewInteger(r, plan.field));
                    break;
                case Plan::Other:
                    break;  // other data types write nothing, not even the comma
            }
        }
        text.Append("\r\n", 2);
        return true;
    }

    char quote_;
    SpecialBytes special_;
    TDataSet& dataset_;
    TFields& fields_;
    int recordCount_ = 0;
    std::vector<Plan> plans_;
    const int32_t* view_ = nullptr;  // record number by view position
};

}  // namespace

bool SaveTableFile(const std::string& path, char quote, TDataSet& dataset) {
    try {
        // A name that the format cannot hold fails the save before anything moves.
        TFieldDefs& defs = dataset.FieldDefs();
        for (int i = 0; i < defs.Count(); ++i) {
            if (defs[i].Name().find_first_of("\r\n") != std::string::npos) return false;
        }
        // Moving to the first record ends an edit in progress; the records
        // are then read by their place in the view, column by column of each.
        dataset.Open();
        dataset.First();
        const TableText text(quote, dataset);
        // Afterwards the dataset stands at its end, as a walk over it leaves
        // it, whenever the text could be made: also when the file could not
        // be written.
        bool written = false;
        try {
            written = WriteFileAtomically(path, text);
        } catch (...) {
            if (dataset.RecordCount() > 0 && text.Make([](std::string_view) {})) dataset.Last();
            throw;
        }
        if (written && dataset.RecordCount() > 0) dataset.Last();
        return written;
    } catch (...) {
        return false;
    }
}
