// Reading a table file: one pass where the values allow, two otherwise.

#include "table_file/sy_db.h"

#include <cstdint>
#include <cstring>
#include <new>
#include <string_view>
#include <vector>

#include "platform/core/exceptions.h"
#include "platform/core/large_memory.h"
#include "platform/core/number_text.h"
#include "platform/core/show_message.h"
#include "platform/core/string_list.h"
#include "table_file/sy_standard.h"

namespace {

// Raised inside the reader's guard for the failures it detects itself.
struct LoadFailure {};

// The first line break (CR or LF) at or after p, or end.
const char* FindLineBreak(const char* p, const char* end) {
    while (p < end && *p != '\r' && *p != '\n') ++p;
    return p;
}

// The start of the line after the one whose break (or end) is at brk: CR LF
// is one break, so is a lone CR or a lone LF.
const char* AfterLineBreak(const char* brk, const char* end) {
    if (brk == end) return end;
    return (*brk == '\r' && brk + 1 < end && brk[1] == '\n') ? brk + 2 : brk + 1;
}

// What the kind pass learns about one column.
struct ColumnGuess {
    TFieldType type = ftString;
    int size = 16;           // 16 plus the longest text, while a text column
    uint64_t textBytes = 0;  // all its texts together, for the storage
};

// Gives the definitions the kinds and sizes found so far, as the kind pass
// would have set them one by one.
void ApplyGuesses(const std::vector<ColumnGuess>& guesses, const std::vector<TFieldDef*>& defs) {
    for (size_t j = 0; j < guesses.size(); ++j) {
        if (guesses[j].type != ftString) {
            defs[j]->SetDataType(guesses[j].type);
        } else if (guesses[j].size > defs[j]->Size()) {
            defs[j]->SetSize(guesses[j].size);
        }
    }
}

// Gives the definitions their kinds and sizes and creates the dataset from
// them, open and empty (raises when there are none). A table of more records
// than a dataset holds is refused before any is made.
void CreateFromGuesses(const std::vector<ColumnGuess>& guesses, const std::vector<TFieldDef*>& defs,
                       size_t recordCount, TClientDataSet& dataset) {
    ApplyGuesses(guesses, defs);
    if (recordCount > 0) dataset.CheckRoomForRecord(static_cast<int64_t>(recordCount - 1));
    dataset.Close();
    dataset.CreateDataSet();
    dataset.Open();
}

// Gives the dataset the columns that the header line names, each a text of
// size 16 so far; none, after the load error message, when it does not split.
std::vector<TFieldDef*> ReadHeader(const table_line::LineSplitter& splitter, bool split,
                                   TClientDataSet& dataset) {
    dataset.ResetStructure();
    std::vector<TFieldDef*> defs;
    if (!split) {
        ShowMessage(Msg::LoadError);
        return defs;
    }
    defs.reserve(splitter.Count());
    for (size_t j = 0; j < splitter.Count(); ++j) {
        TFieldDef& def = dataset.FieldDefs().AddFieldDef();
        defs.push_back(&def);
        def.SetName(AnsiString(splitter.Value(j)));
        def.SetDataType(ftString);
        def.SetSize(16);
    }
    return defs;
}

// Notes a text of length bytes in a column that holds texts so far.
void NoteText(ColumnGuess& guess, size_t length) {
    guess.textBytes += length;
    const size_t wanted = length + 16;
    if (static_cast<size_t>(guess.size) < wanted) {
        guess.size = wanted > 0x7fffffff ? 0x7fffffff : static_cast<int>(wanted);
    }
}

// The table text from its fourth line on, read in two passes: the kinds and
// sizes of the columns first, then the records. records is where the record
// lines begin (the last line of the text is never examined).
void ReadTableInTwoPasses(std::string_view header, const char* records, const char* end,
                          TClientDataSet& dataset, FileBytes& bytes) {
    table_line::LineSplitter splitter;
    const bool split = splitter.Split(header);
    const std::vector<TFieldDef*> defs = ReadHeader(splitter, split, dataset);
    const size_t columnCount = defs.size();

    // Kind pass over the record lines, which also finds where the lines end
    // and counts them. A line takes effect only once it has split whole: a
    // line that does not split is passed over here (the load pass fails on
    // it); one with more tokens than columns makes the load fail once its
    // tokens up to the last column have been looked at.
    std::vector<ColumnGuess> guesses(columnCount);
    struct LineToken {
        char kind;
        size_t length;
    };
    std::vector<LineToken> lineTokens;
    lineTokens.reserve(columnCount);
    size_t tokenCount = 0;
    auto note = [&](char kind, const char*, size_t, size_t length) {
        if (tokenCount++ < columnCount) lineTokens.push_back(LineToken{kind, length});
    };
    table_line::ScanBuffer buffer;
    size_t recordCount = 0;
    size_t firstBadLine = static_cast<size_t>(-1);  // the first record line that does not split
    for (const char* line = records;;) {
        lineTokens.clear();
        tokenCount = 0;
        bool ok = true;
        const char* stop = table_line::ScanTokens<false, true, true>(line, end, buffer, note, ok);
        const char* next = AfterLineBreak(ok ? stop : FindLineBreak(stop, end), end);
        if (next == end) break;  // the last line
        ++recordCount;
        line = next;
        if (!ok) {
            if (firstBadLine == static_cast<size_t>(-1)) firstBadLine = recordCount - 1;
            continue;
        }
        for (size_t j = 0; j < lineTokens.size(); ++j) {
            ColumnGuess& guess = guesses[j];
            if (guess.type != ftString) continue;
            switch (lineTokens[j].kind) {
                case 'b':
                    guess.type = ftBoolean;
                    break;
                case 'n':
                    guess.type = ftFloat;
                    break;
                case 's':
                    NoteText(guess, lineTokens[j].length);
                    break;
                default:
                    break;
            }
        }
        if (tokenCount > columnCount) {
            ApplyGuesses(guesses, defs);
            throw LoadFailure{};
        }
    }
    CreateFromGuesses(guesses, defs, recordCount, dataset);

    // Load pass: one record per record line, straight into the storage.
    TBulkLoader loader(dataset, recordCount);
    std::vector<TFieldType> types(columnCount);
    // Columns that keep values of their field's type take them unchecked.
    std::vector<char> keeps(columnCount);
    for (size_t j = 0; j < columnCount; ++j) {
        types[j] = dataset.Fields()[static_cast<int>(j)].DataType();
        keeps[j] = loader.Keeps(static_cast<int>(j), types[j]) ? 1 : 0;
        if (types[j] == ftString) loader.ReserveText(static_cast<int>(j), guesses[j].textBytes);
    }
    size_t column = 0;
    auto store = [&](char, const char* data, size_t kept, size_t) {
        if (column >= columnCount) throw LoadFailure{};  // more tokens than columns
        const int j = static_cast<int>(column++);
        const std::string_view value(data, kept);
        if (value == "null") return;  // quoted or not; the record starts all null
        switch (types[j]) {
            case ftString:
                if (keeps[static_cast<size_t>(j)]) {
                    loader.PutText(j, value);
                } else {
                    loader.SetText(j, value);
                }
                break;
            case ftBoolean:
                if (keeps[static_cast<size_t>(j)]) {
                    loader.PutBoolean(j, value == "true");
                } else {
                    loader.SetBoolean(j, value == "true");
                }
                break;
            case ftFloat: {
                // The file's "." is the decimal mark whatever the locale; a
                // text holding "," converts as well.
                double number = 0;
                if (!TryStrToFloat(value, number, '.', ',')) throw LoadFailure{};
                if (keeps[static_cast<size_t>(j)]) {
                    loader.PutFloat(j, number);
                } else {
                    loader.SetFloat(j, number);
                }
                break;
            }
            default:
                throw LoadFailure{};
        }
    };
    // The lines before the first that does not split are known to split, so
    // their tokens need not be checked again. The bytes of the lines read are
    // given back as the load goes on, so that the file and its records are
    // not held twice.
    const char* line = records;
    for (size_t r = 0; r < recordCount; ++r) {
        if (r == firstBadLine) throw LoadFailure{};
        if ((r & 1023) == 0) bytes.ReleaseBefore(line);
        loader.AddRecord();
        column = 0;
        bool ok = true;
        const char* stop = table_line::ScanTokens<true, true, true, decltype(store), false>(
            line, end, buffer, store, ok);
        if (!ok) throw LoadFailure{};
        line = AfterLineBreak(stop, end);
    }
    loader.Finish();
    dataset.Close();
}

// Raised inside the one-pass reading for a table that it leaves to the two
// passes.
struct NeedsTwoPasses {};

// The start of the last line of the text [records, end): the line after the
// last line break, a break at the very end aside.
const char* StartOfLastLine(const char* records, const char* end) {
    const char* p = end;
    if (p > records && p[-1] == '\n' && p - 1 > records && p[-2] == '\r') {
        p -= 2;
    } else if (p > records && (p[-1] == '\r' || p[-1] == '\n')) {
        --p;
    }
    while (p > records && p[-1] != '\r' && p[-1] != '\n') --p;
    return p;
}

// One column while the one pass reads it: its values, kept as the kind that
// its values so far give it.
struct StagedColumn {
    TColumnValues values;
    bool hasText = false;  // a text that is not null is kept

    // Nulls up to record number records (not included): a column that a line
    // gives no value is filled up only when it gets its next one.
    void PadTo(size_t records, TFieldType type) {
        if (values.nulls.size() >= records) return;
        Fill(records, type);
    }
    void Fill(size_t records, TFieldType type) {
        values.nulls.resize(records, 1);
        switch (type) {
            case ftFloat:
                values.floats.resize(records);
                break;
            case ftBoolean:
                values.bools.resize(records);
                break;
            default:
                values.offsets.resize(records);
                values.lengths.resize(records);
                break;
        }
    }
    void PushNull(TFieldType type) {
        values.nulls.push_back(1);
        switch (type) {
            case ftFloat:
                values.floats.push_back(0);
                break;
            case ftBoolean:
                values.bools.push_back(0);
                break;
            default:
                values.offsets.push_back(0);
                values.lengths.push_back(0);
                break;
        }
    }
    void PushText(std::string_view text) {
        values.nulls.push_back(0);
        values.offsets.push_back(values.texts.size());
        values.lengths.push_back(static_cast<uint32_t>(text.size()));
        values.texts.append(text);
        hasText = true;
    }
    void PushFloat(double value) {
        values.nulls.push_back(0);
        values.floats.push_back(value);
    }
    void PushBoolean(bool value) {
        values.nulls.push_back(0);
        values.bools.push_back(value ? 1 : 0);
    }
    // A column of nulls only turns into one of type.
    void Become(TFieldType type) {
        const size_t records = values.nulls.size();
        values.texts = LargeString();
        values.offsets = LargeVector<uint64_t>();
        values.lengths = LargeVector<uint32_t>();
        if (type == ftFloat) values.floats.assign(records, 0);
        if (type == ftBoolean) values.bools.assign(records, 0);
    }
    // Room for records values and textBytes of texts. Only for large
    // arrays, whose room is not memory until it is used.
    void Reserve(TFieldType type, size_t records, size_t textBytes) {
        ReserveLarge(values.nulls, records);
        switch (type) {
            case ftFloat:
                ReserveLarge(values.floats, records);
                break;
            case ftBoolean:
                ReserveLarge(values.bools, records);
                break;
            default:
                ReserveLarge(values.offsets, records);
                ReserveLarge(values.lengths, records);
                ReserveLarge(values.texts, textBytes);
                break;
        }
    }
    template <class Array>
    static void ReserveLarge(Array& array, size_t n) {
        if (n * sizeof(array[0]) >= large_memory::kLargeBlock) array.reserve(n);
    }
};

// The records of a table in one pass: every value kept as the kind that its
// column has so far, the kinds and sizes found on the way. Raises
// NeedsTwoPasses for any table that this cannot read as the two passes read
// it: a line that does not split or has too many tokens, a text before the
// first number or truth value of its column, a value that its column's kind
// does not take, a text too long for a column, a table too large for the
// memory.
class OnePass {
  public:
    // recordBytes: about how many bytes the record lines take, for the room
    // made ready once the first records are read.
    OnePass(std::vector<TFieldDef*> defs, size_t recordBytes)
        : defs_(std::move(defs)),
          recordBytes_(recordBytes),
          guesses_(defs_.size()),
          staged_(defs_.size()) {}

    // Reads the record lines that begin in [from, to), each ending at its
    // line break before end. release, when given, gets back the bytes read.
    void ReadLines(const char* from, const char* to, const char* end, FileBytes* release) {
        auto store = [this](char kind, const char* data, size_t kept, size_t length) {
            Store(kind, data, kept, length);
        };
        try {
            for (const char* line = from; line < to;) {
                if (recordCount_ == kSampleRecords) MakeRoom();
                if (release != nullptr && (recordCount_ & 1023) == 0) release->ReleaseBefore(line);
                column_ = 0;
                bool ok = true;
                const char* stop =
                    table_line::ScanTokens<true, true, true>(line, end, buffer_, store, ok);
                if (!ok) throw NeedsTwoPasses{};
                ++recordCount_;
                const char* next = AfterLineBreak(stop, end);
                bytesRead_ += static_cast<size_t>(next - line);
                line = next;
            }
        } catch (const std::bad_alloc&) {
            throw NeedsTwoPasses{};
        }
    }

    // Gives the columns their kinds and sizes and the dataset the records.
    void Finish(TClientDataSet& dataset) {
        const size_t columnCount = defs_.size();
        try {
            for (size_t j = 0; j < columnCount; ++j)
                staged_[j].PadTo(recordCount_, guesses_[j].type);
        } catch (const std::bad_alloc&) {
            throw NeedsTwoPasses{};
        }
        CreateFromGuesses(guesses_, defs_, recordCount_, dataset);
        TBulkLoader loader(dataset, 0);
        std::vector<TColumnValues> values(columnCount);
        for (size_t j = 0; j < columnCount; ++j) values[j] = std::move(staged_[j].values);
        staged_.clear();
        loader.TakeColumns(values, recordCount_);
        loader.Finish();
        dataset.Close();
    }

  private:
    static constexpr size_t kSampleRecords = 1024;

    void Store(char kind, const char* data, size_t kept, size_t length) {
        if (column_ >= defs_.size()) throw NeedsTwoPasses{};
        const size_t j = column_++;
        ColumnGuess& guess = guesses_[j];
        StagedColumn& col = staged_[j];
        col.PadTo(recordCount_, guess.type);
        if (guess.type == ftString) {
            if (kind == 's') {
                NoteText(guess, length);
            } else if (kind == 'b' || kind == 'n') {
                // The column's first truth value or number gives it its kind.
                if (col.hasText) throw NeedsTwoPasses{};
                guess.type = kind == 'b' ? ftBoolean : ftFloat;
                col.Become(guess.type);
            }
        }
        const std::string_view value(data, kept);
        if (value == "null") {  // quoted or not
            col.PushNull(guess.type);
            return;
        }
        switch (guess.type) {
            case ftString:
                // A text longer than a column can be is cut by the two passes.
                if (value.size() > 0x7fffffff - 16) throw NeedsTwoPasses{};
                col.PushText(value);
                break;
            case ftBoolean:
                col.PushBoolean(value == "true");
                break;
            default: {
                // The file's "." is the decimal mark whatever the locale; a
                // text holding "," converts as well.
                double number = 0;
                if (!TryPlainDecimalToFloat(value, number) &&
                    !TryStrToFloat(value, number, '.', ','))
                    throw NeedsTwoPasses{};
                col.PushFloat(number);
                break;
            }
        }
    }

    // Room for the rest of the records, as the ones so far let expect it.
    void MakeRoom() {
        if (bytesRead_ == 0) return;
        const double scale =
            1.25 * static_cast<double>(recordBytes_) / static_cast<double>(bytesRead_);
        const auto expected = static_cast<size_t>(scale * kSampleRecords) + 16;
        for (size_t j = 0; j < defs_.size(); ++j) {
            staged_[j].Reserve(
                guesses_[j].type, expected,
                static_cast<size_t>(scale * static_cast<double>(staged_[j].values.texts.size())));
        }
    }

    std::vector<TFieldDef*> defs_;
    size_t recordBytes_;
    std::vector<ColumnGuess> guesses_;
    std::vector<StagedColumn> staged_;
    size_t recordCount_ = 0;
    size_t bytesRead_ = 0;
    size_t column_ = 0;  // the column of the next token on the line
    table_line::ScanBuffer buffer_;
};

// The first four lines of the text [begin, end): false when it has fewer.
// The third one is the header line.
bool FirstLines(const char* begin, const char* end, const char* (&starts)[4],
                std::string_view& header) {
    const char* p = begin;
    for (int n = 0; n < 4; ++n) {
        if (p == end) return false;
        starts[n] = p;
        p = AfterLineBreak(FindLineBreak(p, end), end);
    }
    header =
        std::string_view(starts[2], static_cast<size_t>(FindLineBreak(starts[2], end) - starts[2]));
    return true;
}

// What a reading came to; the last two ask for another reading of the whole
// file: in one pass where it can, or in the two passes.
enum class Outcome { Loaded, Failed, Untouched, WholeFileNeeded, TwoPassesNeeded };

void CloseAfterFailure(TClientDataSet& dataset) {
    try {
        dataset.Close();
    } catch (...) {
    }
}

// Reads the table text of bytes into dataset, in one pass where it can.
Outcome LoadTable(FileBytes& bytes, TClientDataSet& dataset, bool onePass) {
    std::string_view text = bytes.View();
    // The text ends at its first NUL byte.
    if (const void* nul = std::memchr(text.data(), '\0', text.size())) {
        text = text.substr(0, static_cast<size_t>(static_cast<const char*>(nul) - text.data()));
    }
    const char* const end = text.data() + text.size();
    // Fewer than four lines leave the dataset untouched.
    const char* starts[4];
    std::string_view header;
    if (!FirstLines(text.data(), end, starts, header)) return Outcome::Untouched;
    try {
        if (onePass) {
            table_line::LineSplitter splitter;
            // A header that does not split is left to the two passes, which
            // tell of it once.
            if (!splitter.Split(header)) return Outcome::TwoPassesNeeded;
            OnePass pass(ReadHeader(splitter, true, dataset), static_cast<size_t>(end - starts[3]));
            pass.ReadLines(starts[3], StartOfLastLine(starts[3], end), end, &bytes);
            pass.Finish(dataset);
        } else {
            ReadTableInTwoPasses(header, starts[3], end, dataset, bytes);
        }
        return Outcome::Loaded;
    } catch (const NeedsTwoPasses&) {
        return Outcome::TwoPassesNeeded;
    } catch (...) {
        CloseAfterFailure(dataset);
        return Outcome::Failed;
    }
}

// Files from this size on are read through a window instead of whole.
constexpr uint64_t kStreamedFrom = uint64_t{4} << 20;
constexpr size_t kBlockBytes = size_t{1} << 20;

// Reads a large table file in one pass through a window of a few blocks,
// which the pass moves over the file: the file is never held whole. Leaves a
// file with a NUL byte or a header beyond the first block to the one pass
// over the whole file, and any table the one pass leaves to the two passes
// to them.
Outcome StreamTable(FileStream& file, TClientDataSet& dataset) {
    LargeBytes window;
    bool atEnd = false;
    // One block more; false at the end of the file or at a NUL byte, where
    // the text ends.
    auto readBlock = [&] {
        const size_t before = window.Size();
        if (file.ReadInto(window, kBlockBytes) == 0) {
            atEnd = true;
            return false;
        }
        return std::memchr(window.Data() + before, '\0', window.Size() - before) == nullptr;
    };
    if (!readBlock()) return Outcome::WholeFileNeeded;
    const char* starts[4];
    std::string_view header;
    // Within the first block: a break at its very end, which the next block
    // might go on, leaves fewer than four lines there.
    if (!FirstLines(window.Data(), window.Data() + window.Size(), starts, header))
        return Outcome::WholeFileNeeded;
    table_line::LineSplitter splitter;
    if (!splitter.Split(header)) return Outcome::TwoPassesNeeded;
    try {
        OnePass pass(ReadHeader(splitter, true, dataset), static_cast<size_t>(file.Size()));
        size_t lineAt = static_cast<size_t>(starts[3] - window.Data());
        while (true) {
            const char* const base = window.Data();
            const char* const end = base + window.Size();
            // The window's last line may go on in the next block, or be the
            // file's last line, which is never examined.
            const char* const last = StartOfLastLine(base + lineAt, end);
            pass.ReadLines(base + lineAt, last, end, nullptr);
            if (atEnd) break;
            window.EraseFront(static_cast<size_t>(last - base));
            lineAt = 0;
            // A NUL byte ends the text: the whole file is read up to it.
            if (!readBlock() && !atEnd) return Outcome::WholeFileNeeded;
        }
        pass.Finish(dataset);
        return Outcome::Loaded;
    } catch (const NeedsTwoPasses&) {
        return Outcome::TwoPassesNeeded;
    } catch (const EFOpenError&) {
        // The file could not be read on: as when it cannot be read at all.
        CloseAfterFailure(dataset);
        throw;
    } catch (...) {
        CloseAfterFailure(dataset);
        return Outcome::Failed;
    }
}

}  // namespace

bool LoadTableFile(const std::string& path, TClientDataSet& dataset) {
    Outcome outcome = Outcome::WholeFileNeeded;
    FileBytes bytes;
    {
        FileStream file;
        file.Open(path);
        if (file.Size() < kStreamedFrom) {
            bytes.Load(file);
        } else {
            outcome = StreamTable(file, dataset);
            if (outcome != Outcome::WholeFileNeeded && outcome != Outcome::TwoPassesNeeded)
                return outcome == Outcome::Loaded;
            // What the window read is read again, whole.
            bytes.Load(path);
        }
    }
    if (outcome == Outcome::WholeFileNeeded) outcome = LoadTable(bytes, dataset, true);
    if (outcome == Outcome::TwoPassesNeeded) {
        // The one pass gives back the bytes behind it: then they are read again.
        if (bytes.AnyReleased()) bytes.Load(path);
        outcome = LoadTable(bytes, dataset, false);
    }
    return outcome == Outcome::Loaded;
}
