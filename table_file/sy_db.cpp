#include "table_file/sy_db.h"

#include <cmath>
#include <string_view>
#include <vector>

#include "platform/core/exceptions.h"
#include "platform/core/number_text.h"
#include "platform/core/show_message.h"
#include "platform/core/string_list.h"
#include "table_file/sy_standard.h"

namespace {

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
    table_line::LineSplitter splitter;

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
