// The reader and the writer against their plain earlier forms: thousands of
// generated files (and tables) that must give the same outcome, definitions,
// values and bytes from both.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/core/number_text.h"
#include "table_file/sy_db.h"
#include "tests/table_file/reference_table_file.h"
#include "tests/table_file/table_file_test_support.h"

namespace {

using namespace table_file_test;

// A small generator with a fixed sequence on every platform.
class Dice {
  public:
    explicit Dice(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
    uint64_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return state_;
    }
    // 0 to n - 1.
    size_t Below(size_t n) { return static_cast<size_t>(Next() % n); }
    bool Chance(int percent) { return Below(100) < static_cast<size_t>(percent); }
    template <class T, size_t N>
    const T& Of(const T (&items)[N]) {
        return items[Below(N)];
    }

  private:
    uint64_t state_;
};

// Pieces that the generated lines are made of: tokens that split, tokens
// that do not, and the bytes between them.
const char* const kNumbers[] = {"12",
                                "-3",
                                "+4.50",
                                ".5",
                                "5.",
                                "1E5",
                                "1.5e-7",
                                "E5",
                                ".",
                                "1e400",
                                "0",
                                "-0",
                                "0.1",
                                "1e-400",
                                "123456789012345678",
                                "7",
                                "2.5",
                                "-.25",
                                "1.79769313486232E308",
                                "99999999999999.9",
                                "1.7976931348623159E308"};
const char* const kTexts[] = {"\"abc\"",
                              "\"hello\"",
                              "\"\"",
                              "\"null\"",
                              "'null'",
                              "\"12\"",
                              "\" 7 \"",
                              "\"1,5\"",
                              "\"2.5\"",
                              "\"1.5e3\"",
                              "\"true\"",
                              "'it\"s'",
                              "\"a\\\\b\"",
                              "\"a\\\"b\"",
                              "\"a\\'b\"",
                              "\"a\\,b\"",
                              "\"\\ab\"",
                              "\"a\\ b\"",
                              "\"M\xfcnchen\"",
                              "\"Stra\xdf\x65\"",
                              "\"K\xf6ln \xc4nderung\"",
                              "\"x,y\"",
                              "\"1.2,3\"",
                              "\"1,2.3\"",
                              "\"  \"",
                              "\"\t5\t\"",
                              "\"+4.50\"",
                              "\"E5\"",
                              "\".\"",
                              "\",\""};
const char* const kWords[] = {"true", "false", "null"};
const char* const kBad[] = {"x", "True", "NULL", "1e", "1-2", "$1F", "e", "1.2.3", "nul l"};
const char* const kGaps[] = {"", "", "", " ", "  ", "\t", " \t "};
const char* const kBreaks[] = {"\r\n", "\r\n", "\r\n", "\r\n", "\r\n", "\r", "\n"};
const char* const kNames[] = {"\"a\"",        "\"b\"",
                              "\"Name\"",     "\"name\"",
                              "'c'",          "\"d e\"",
                              "\"\"",         "12",
                              "true",         "null",
                              "\"\xc4rger\"", "\"q\\\"t\"",
                              "\"s\\\\l\"",   "\"abcdefghijklmnopqrstuvwxyz012345\"",
                              "\"f\"",        "\"g\"",
                              "\"h\""};

// What one column tends to hold, changing now and then down the file.
enum class Leaning { Texts, Numbers, Truths, Nulls, Mixed };

std::string Token(Dice& dice, Leaning leaning) {
    if (dice.Chance(3)) return dice.Of(kBad);
    switch (leaning) {
        case Leaning::Texts:
            return dice.Chance(85) ? dice.Of(kTexts) : dice.Of(kWords);
        case Leaning::Numbers:
            return dice.Chance(80) ? dice.Of(kNumbers) : dice.Of(kTexts);
        case Leaning::Truths:
            return dice.Chance(80) ? dice.Of(kWords) : dice.Of(kTexts);
        case Leaning::Nulls:
            return dice.Chance(85) ? "null" : dice.Of(kTexts);
        case Leaning::Mixed:
            break;
    }
    switch (dice.Below(3)) {
        case 0:
            return dice.Of(kTexts);
        case 1:
            return dice.Of(kNumbers);
        default:
            return dice.Of(kWords);
    }
}

// A generated table file: mostly well formed, with every kind of fault
// sprinkled in.
std::string MakeFile(Dice& dice) {
    std::string file;
    if (dice.Chance(2)) return "";
    file += dice.Chance(90) ? "/* Quimbly Table Format 0.9 */" : "\\,x,";
    file += dice.Of(kBreaks);
    file += dice.Chance(90) ? "quiTables[quiTables.length] = new Array(" : "\"open";
    file += dice.Of(kBreaks);
    if (dice.Chance(3)) return file;  // two lines only

    const size_t columns = dice.Below(6);
    if (dice.Chance(4)) {
        file += "\"a\",\\,";  // a header that does not split
    } else {
        for (size_t j = 0; j < columns; ++j) {
            // Mostly distinct names; now and then one again or in other letter case.
            file += dice.Chance(85) ? kNames[j % 6 == 3 ? 6 : j] : dice.Of(kNames);
            file += dice.Of(kGaps);
            file += ",";
        }
    }
    file += dice.Of(kBreaks);

    std::vector<Leaning> leanings(columns + 2);
    for (Leaning& l : leanings) l = static_cast<Leaning>(dice.Below(5));
    const size_t records = dice.Below(9);
    for (size_t r = 0; r < records; ++r) {
        for (Leaning& l : leanings) {
            if (dice.Chance(10)) l = static_cast<Leaning>(dice.Below(5));
        }
        size_t tokens = columns;
        if (dice.Chance(8)) tokens += 1;
        if (dice.Chance(8) && tokens > 0) tokens -= 1;
        if (dice.Chance(2)) tokens += 3;
        for (size_t j = 0; j < tokens; ++j) {
            file += dice.Of(kGaps);
            file += Token(dice, leanings[std::min(j, leanings.size() - 1)]);
            file += dice.Of(kGaps);
            if (dice.Chance(97)) file += ",";
        }
        if (dice.Chance(3)) file += dice.Chance(50) ? "\\" : "\"unclosed";
        if (dice.Chance(3)) file += "tail";
        if (dice.Chance(2)) file += "\"a\\";  // an escape at the very end of the line
        file += dice.Of(kBreaks);
    }
    file += dice.Chance(80) ? std::to_string(columns) + ");" : "junk \\,";
    if (dice.Chance(85)) file += dice.Of(kBreaks);
    if (dice.Chance(3)) file += "extra,\r\n";
    if (dice.Chance(2)) file.insert(dice.Below(file.size() + 1), 1, '\0');
    return file;
}

// Everything observable of a dataset after a load, as text: the outcome,
// the messages, the state, the definitions, and the records when it loaded.
std::string Outcome(bool loaded, TClientDataSet& ds, const Texts& messages) {
    std::string out = loaded ? "loaded" : "failed";
    for (const std::string& m : messages) out += " [" + m + "]";
    out += ds.Active() ? " open" : " closed";
    out += " index '" + ds.IndexName() + "' " + std::to_string(ds.IndexDefs().Count());
    for (const std::string& d : DefsOf(ds)) out += " " + d;
    if (loaded) {
        for (const Texts& row : RecordsOf(ds)) {
            out += "\n";
            for (const std::string& v : row) out += v + "|";
        }
    }
    return out;
}

// A table that a load must either leave alone or replace.
void MakeOldTable(TClientDataSet& ds) {
    MakeTable(ds, {{"old", ftString, 10}});
    AppendRows(ds, {{"v"}});
    ds.IndexDefs().Clear();
    ds.IndexDefs().Add(TIndexDef{"oldIndex", "old", {}});
}

std::string LoadWith(bool (*load)(const std::string&, TClientDataSet&), const std::string& path) {
    TClientDataSet ds;
    MakeOldTable(ds);
    MessageRecorder messages;
    const bool loaded = load(path, ds);
    return Outcome(loaded, ds, messages.messages);
}

TEST(DifferentialTest, ReaderAgreesWithTheReferenceOnGeneratedFiles) {
    ScratchDir dir;
    const std::string path = dir.File("t.qmt");
    Dice dice(20261209);
    int loaded = 0;
    for (int i = 0; i < 3000; ++i) {
        const std::string file = MakeFile(dice);
        WriteBytes(path, file);
        const std::string expected = LoadWith(reference::LoadTableFile, path);
        const std::string actual = LoadWith(LoadTableFile, path);
        ASSERT_EQ(expected, actual) << "case " << i << ", file:\n" << file;
        loaded += expected.compare(0, 6, "loaded") == 0;
    }
    // The generator must reach both outcomes often enough to mean something.
    EXPECT_GT(loaded, 400);
    EXPECT_LT(loaded, 2600);
}

// Both readers on the same lines split at every kind of line break, with the
// decimal mark of either kind set: the reader never looks at the locale.
TEST(DifferentialTest, ReaderAgreesUnderEitherDecimalMark) {
    ScratchDir dir;
    const std::string path = dir.File("t.qmt");
    Dice dice(77);
    for (const char mark : {',', '.'}) {
        DecimalMark setMark(mark);
        for (int i = 0; i < 500; ++i) {
            const std::string file = MakeFile(dice);
            WriteBytes(path, file);
            ASSERT_EQ(LoadWith(reference::LoadTableFile, path), LoadWith(LoadTableFile, path))
                << "mark " << mark << ", case " << i << ", file:\n"
                << file;
        }
    }
}

// Number texts for the conversion: both marks, signs, exponents, blanks,
// digits around the 15 that the quick way takes, and values near the ends
// of the range.
std::string NumberText(Dice& dice) {
    static const char* const kPieces[] = {"0", "1", "5", "9", "00", "123", "4567", "99999"};
    std::string s;
    if (dice.Chance(10)) s += " ";
    if (dice.Chance(30)) s += dice.Chance(50) ? "-" : "+";
    const size_t intPieces = dice.Below(5);
    for (size_t i = 0; i < intPieces; ++i) s += dice.Of(kPieces);
    if (dice.Chance(60)) {
        s += dice.Chance(50) ? "." : ",";
        const size_t fracPieces = dice.Below(5);
        for (size_t i = 0; i < fracPieces; ++i) s += dice.Of(kPieces);
    }
    if (dice.Chance(5)) s += dice.Chance(50) ? "." : ",";
    if (dice.Chance(20)) {
        s += dice.Chance(50) ? "e" : "E";
        if (dice.Chance(50)) s += dice.Chance(50) ? "-" : "+";
        if (dice.Chance(90)) s += std::to_string(dice.Below(330));
    }
    if (dice.Chance(10)) s += " ";
    if (dice.Chance(3)) s += "x";
    return s;
}

TEST(DifferentialTest, NumberConversionAgreesWithThePlainConversion) {
    Dice dice(4711);
    int converted = 0;
    for (int i = 0; i < 100000; ++i) {
        const std::string text = NumberText(dice);
        // The plain form: every "." read as ",", then "," the only mark.
        std::string plain = text;
        for (char& c : plain) {
            if (c == '.') c = ',';
        }
        double expected = 0;
        double actual = 0;
        const bool expectedOk = reference::TryStrToFloatPlain(plain, expected, ',');
        const bool actualOk = TryStrToFloat(text, actual, '.', ',');
        ASSERT_EQ(expectedOk, actualOk) << text;
        if (!expectedOk) continue;
        ++converted;
        ASSERT_EQ(std::signbit(expected), std::signbit(actual)) << text;
        ASSERT_EQ(expected, actual) << text;
        // One mark alone agrees as well.
        double single = 0;
        ASSERT_EQ(reference::TryStrToFloatPlain(text, expected, '.'),
                  TryStrToFloat(text, single, '.'))
            << text;
    }
    EXPECT_GT(converted, 30000);
}

TEST(DifferentialTest, NumberTextAgreesWithThePlainNumberText) {
    Dice dice(31337);
    auto check = [](double v) {
        for (const double value : {v, -v}) {
            const std::string expected = reference::FloatTextPlain(value, ',');
            char text[kMaxFloatTextLength];
            const std::string actual(text, WriteFloatText(text, value, ','));
            ASSERT_EQ(expected, actual) << value;
        }
    };
    static const double kEdges[] = {1.0,
                                    1e15,
                                    1e15 - 0.5,
                                    1e15 + 0.5,
                                    999999999999999.9,
                                    1e14 + 0.5,
                                    0.1,
                                    1.0 / 3,
                                    2.0 / 3,
                                    9.9999999999999995,
                                    99999999999999.995,
                                    123456789012345.6,
                                    1.5,
                                    4503599627370495.5};
    for (const double v : kEdges) check(v);
    for (int i = 0; i < 200000; ++i) {
        double v;
        switch (dice.Below(4)) {
            case 0:  // binary fractions, as prices often are
                v = static_cast<double>(dice.Below(100000000)) / 64 + 0.125;
                break;
            case 1:  // decimal fractions of up to 15 digits
                v = static_cast<double>(dice.Below(1000000000000000ull)) /
                    std::pow(10.0, static_cast<double>(dice.Below(16)));
                break;
            case 2: {  // any bit pattern of a finite double
                uint64_t bits = dice.Next();
                std::memcpy(&v, &bits, sizeof v);
                if (!std::isfinite(v)) v = 1.25;
                break;
            }
            default:  // just off a whole number
                v = std::nextafter(static_cast<double>(dice.Below(1000000)), 1e300);
                break;
        }
        check(v);
    }
}

// Tables for the writer: every kind of column, nulls, texts with escapes,
// numbers of all sizes, records in sorted order now and then.
void MakeWriterTable(Dice& dice, TClientDataSet& ds) {
    static const TFieldType kKinds[] = {ftString,   ftInteger, ftFloat,   ftBoolean,
                                        ftSmallint, ftWord,    ftCurrency};
    const size_t columns = 1 + dice.Below(5);
    std::vector<TFieldType> kinds;
    for (size_t j = 0; j < columns; ++j) {
        TFieldDef& def = ds.FieldDefs().AddFieldDef();
        def.SetName(j == 0 && dice.Chance(20) ? "n\"a\\me" : "c" + std::to_string(j));
        kinds.push_back(dice.Of(kKinds));
        def.SetDataType(kinds.back());
        if (kinds.back() == ftString) def.SetSize(40);
    }
    ds.CreateDataSet();
    static const double kFloats[] = {0.0,
                                     -0.0,
                                     2.5,
                                     -0.125,
                                     1e15,
                                     1e-5,
                                     0.00000015,
                                     1e300,
                                     1e-300,
                                     1.0 / 3,
                                     123456789012345678.0,
                                     7,
                                     1.7976931348623157e308,
                                     4.9e-324};
    static const char* const kStrings[] = {"",           "null", "a\\\"b", "it's", " x ",
                                           "M\xfcnchen", "\\\\", "\"",     "a,b"};
    const size_t records = dice.Below(12);
    for (size_t r = 0; r < records; ++r) {
        ds.Append();
        for (size_t j = 0; j < columns; ++j) {
            TField& f = ds.Fields()[static_cast<int>(j)];
            if (dice.Chance(15)) continue;  // null
            switch (kinds[j]) {
                case ftString:
                    f.SetAsString(dice.Chance(2)   ? "a\r\nb"
                                  : dice.Chance(1) ? "\n"
                                                   : dice.Of(kStrings));
                    break;
                case ftSmallint:
                case ftWord:
                    f.SetAsInteger(static_cast<int64_t>(dice.Below(30000)));
                    break;
                case ftInteger:
                    f.SetAsInteger(static_cast<int64_t>(dice.Next() % 4000000000ull) - 2000000000);
                    break;
                case ftFloat:
                case ftCurrency:
                    if (dice.Chance(2)) {
                        f.SetAsFloat(dice.Chance(50) ? HUGE_VAL : std::nan(""));
                        break;
                    }
                    f.SetAsFloat(dice.Chance(50) ? dice.Of(kFloats)
                                                 : static_cast<double>(dice.Below(1000000)) / 64);
                    break;
                case ftBoolean:
                    f.SetAsBoolean(dice.Chance(50));
                    break;
                default:
                    break;
            }
        }
        ds.Post();
    }
    if (dice.Chance(30)) {
        ds.AddIndex("byFirst", "c0",
                    dice.Chance(50) ? TIndexOptions{ixDescending} : TIndexOptions{});
        if (ds.FindField("c0") != nullptr) ds.SetIndexName("byFirst");
    }
    if (records > 0 && dice.Chance(20)) {
        // A change not yet posted, which the move to the first record posts.
        ds.Edit();
        if (kinds[0] == ftString) ds.Fields()[0].SetAsString("edited");
    }
}

std::string ReadBytes(const std::string& path) {
    std::string bytes;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
        std::fclose(f);
    }
    return bytes;
}

TEST(DifferentialTest, WriterAgreesWithTheReferenceByteForByte) {
    ScratchDir dir;
    const std::string expectedPath = dir.File("expected.qmt");
    const std::string actualPath = dir.File("actual.qmt");
    Dice dice(99);
    for (int i = 0; i < 600; ++i) {
        const char quote = dice.Chance(80) ? '"' : dice.Chance(50) ? '\'' : '\\';
        const uint64_t seed = dice.Next();
        // The same table twice, since writing moves the cursor.
        Dice a(seed);
        Dice b(seed);
        TClientDataSet expectedDs;
        TClientDataSet actualDs;
        try {
            MakeWriterTable(a, expectedDs);
            MakeWriterTable(b, actualDs);
        } catch (const std::exception&) {
            continue;  // an index on a column that cannot carry one
        }
        std::remove(expectedPath.c_str());
        std::remove(actualPath.c_str());
        const bool expectedOk = reference::SaveTableFile(expectedPath, quote, expectedDs);
        const bool actualOk = SaveTableFile(actualPath, quote, actualDs);
        ASSERT_EQ(expectedOk, actualOk) << "case " << i;
        ASSERT_EQ(ReadBytes(expectedPath), ReadBytes(actualPath)) << "case " << i;
        if (!expectedOk) continue;
        // Afterwards both stand open at the end, on the same record.
        ASSERT_EQ(expectedDs.Active(), actualDs.Active());
        ASSERT_EQ(expectedDs.Eof(), actualDs.Eof());
        ASSERT_EQ(expectedDs.Bof(), actualDs.Bof());
        ASSERT_EQ(expectedDs.RecNo(), actualDs.RecNo());
        ASSERT_EQ(expectedDs.State(), actualDs.State());
    }
}

}  // namespace

namespace {

// Texts about as long as the writer escapes in one piece, on either side of
// that length, with escapes near their ends.
TEST(DifferentialTest, WriterAgreesOnLongTextsWithEscapes) {
    ScratchDir dir;
    const std::string expectedPath = dir.File("expected.qmt");
    const std::string actualPath = dir.File("actual.qmt");
    for (const char quote : {'"', '\'', '\\'}) {
        for (const size_t length : {size_t{4095}, size_t{4096}, size_t{4097}, size_t{9000}}) {
            SCOPED_TRACE(std::string(1, quote) + std::to_string(length));
            std::string text(length, 'x');
            for (size_t k = 0; k < length; k += 7) text[k] = "\\\"' "[k % 4];
            text[length - 1] = '\\';
            auto fill = [&](TClientDataSet& ds) {
                TFieldDef& def = ds.FieldDefs().AddFieldDef();
                def.SetName("t");
                def.SetDataType(ftString);
                def.SetSize(10000);
                ds.CreateDataSet();
                for (const std::string& value : {text, std::string("a\\\"b"), text + "\n"}) {
                    ds.Append();
                    ds.Fields()[0].SetAsString(value);
                    ds.Post();
                }
            };
            for (const bool withBreak : {false, true}) {
                TClientDataSet expectedDs;
                TClientDataSet actualDs;
                fill(expectedDs);
                fill(actualDs);
                if (!withBreak) {
                    expectedDs.Last();
                    expectedDs.Delete();
                    actualDs.Last();
                    actualDs.Delete();
                }
                std::remove(expectedPath.c_str());
                std::remove(actualPath.c_str());
                const bool expectedOk = reference::SaveTableFile(expectedPath, quote, expectedDs);
                ASSERT_EQ(expectedOk, !withBreak);
                ASSERT_EQ(SaveTableFile(actualPath, quote, actualDs), expectedOk);
                ASSERT_EQ(ReadBytes(expectedPath), ReadBytes(actualPath));
            }
        }
    }
}

}  // namespace

namespace {

// A long table (well over the room of the first records and the bytes a load
// gives back as it goes) whose last lines hold what one column or line
// makes of it.
std::string LongTable(const std::string& lastLines) {
    std::string file =
        "/* Quimbly Table Format 0.9 */\r\nquiTables[quiTables.length] = new Array(\r\n"
        "\"Title\",\"Price\",\"Paid\",\"Later\",\"Texts\",\r\n";
    for (int r = 0; r < 230000; ++r) {
        file += "\"it\\\"em ";
        file += std::to_string(r);
        file += "\",";
        file += std::to_string(r % 1000) + "." + std::to_string(r % 7);
        file += r % 3 ? ",true,null," : ",false,null,";
        file += r % 5 ? "\"12\",\r\n" : "null,\r\n";
    }
    return file + lastLines + "5);\r\n";
}

TEST(DifferentialTest, LongTablesAgreeWithTheReferenceWhateverTheirLastLinesHold) {
    const struct {
        const char* what;
        const char* lastLines;
    } cases[] = {
        {"nothing more", ""},
        {"a first number after nulls only", "\"x\",1,true,2.5,\"y\",\r\n"},
        {"a first number after texts", "\"x\",1,true,null,7,\r\n"},
        {"a number given as text", "\"x\",\"7,5\",true,null,\"a\",\r\n"},
        {"a truth value where numbers stand", "\"x\",true,true,null,\"a\",\r\n"},
        {"a text where truth values stand", "\"x\",1,\"yes\",null,\"a\",\r\n"},
        {"a line that does not split", "\"x\",1,tru,null,\"a\",\r\n"},
        {"too many tokens", "\"x\",1,true,null,\"a\",6,\r\n"},
        {"lone line breaks", "\"x\",1,true,null,\"a\",\r\"y\",\n\"z\",2,\r\n"},
    };
    ScratchDir dir;
    const std::string path = dir.File("long.qmt");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // With a NUL byte after them (the text ends there) too, for two of them:
        // the one read of the whole file, then the two passes after it.
        const bool withNul = &c == &cases[0] || &c == &cases[2];
        for (const bool nul : {false, true}) {
            if (nul && !withNul) continue;
            SCOPED_TRACE(nul ? "then a NUL byte, where the text ends" : "");
            WriteBytes(path, LongTable(c.lastLines + (nul ? std::string("\"y\0z\",\r\n", 9) : "")));
            const std::string expected = LoadWith(reference::LoadTableFile, path);
            const std::string actual = LoadWith(LoadTableFile, path);
            EXPECT_EQ(expected.substr(0, 300), actual.substr(0, 300));
            EXPECT_TRUE(expected == actual) << "the outcomes differ past their beginnings";
        }
    }
}

}  // namespace

namespace {

// Texts of every length around the blocks the writer escapes at once, with
// the bytes to escape at every place, over a table many pieces long; and
// numbers whose digits the writer puts down two at a time.
TEST(DifferentialTest, WriterAgreesOnTextsAcrossBlocksAndPieces) {
    ScratchDir dir;
    const std::string expectedPath = dir.File("expected.qmt");
    const std::string actualPath = dir.File("actual.qmt");
    for (const char quote : {'"', '\'', '\\'}) {
        SCOPED_TRACE(std::string(1, quote));
        auto fill = [&](TClientDataSet& ds) {
            for (const char* name : {"t", "n"}) {
                TFieldDef& def = ds.FieldDefs().AddFieldDef();
                def.SetName(name);
                def.SetDataType(name[0] == 't' ? ftString : ftFloat);
                if (name[0] == 't') def.SetSize(100);
            }
            ds.CreateDataSet();
            int r = 0;
            for (int round = 0; round < 120; ++round) {
                for (size_t length = 0; length <= 50; ++length) {
                    for (size_t at = 0; at <= length; at += 3) {
                        std::string text(length, 'y');
                        if (at < length) text[at] = "\\\"'"[(at + round) % 3];
                        if (length > 20 && round % 2) text[length - 1] = '\xe4';
                        ds.Append();
                        ds.Fields()[0].SetAsString(text);
                        ds.Fields()[1].SetAsFloat((r++ % 100003) / 64.0 + 1e-3 * round);
                        ds.Post();
                    }
                }
            }
        };
        TClientDataSet expectedDs;
        TClientDataSet actualDs;
        fill(expectedDs);
        fill(actualDs);
        ASSERT_TRUE(reference::SaveTableFile(expectedPath, quote, expectedDs));
        ASSERT_TRUE(SaveTableFile(actualPath, quote, actualDs));
        const std::string expected = ReadBytes(expectedPath);
        EXPECT_GT(expected.size(), size_t{2} << 20);
        EXPECT_TRUE(expected == ReadBytes(actualPath));
    }
}

}  // namespace

namespace {

// Large files are read block by block: a line break, an escape or a quoted
// text that a block's end cuts in two reads as if the file stood whole.
TEST(DifferentialTest, WhatABlocksEndCutsReadsAsIfTheFileStoodWhole) {
    constexpr size_t kBlock = size_t{1} << 20;
    const struct {
        const char* what;
        const char* before;  // the bytes that end just before a block's end
        const char* after;   // the bytes that begin the next block
    } cases[] = {
        {"CR LF parted", "\"a\",1,\r", "\n"},
        {"a lone CR at the end", "\"a\",1,\r", "\"b\",2,\r\n"},
        {"LF at the end", "\"a\",1,\n", "\"b\",2,\r\n"},
        {"LF first in the next block", "\"a\",1,", "\n\"b\",2,\r\n"},
        {"an escape parted", "\"a\\", "\"b\",1,\r\n"},
        {"a quoted text parted", "\"lo", "ng\",1,\r\n"},
        {"a number parted", "\"a\",1.2", "5,\r\n"},
        {"a bad line parted", "\"a\",tr", "u,\r\n"},
    };
    ScratchDir dir;
    const std::string path = dir.File("blocks.qmt");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string file =
            "/* Quimbly Table Format 0.9 */\r\nquiTables[quiTables.length] = new Array(\r\n"
            "\"Text\",\"Number\",\r\n";
        for (int block = 1; block <= 5; ++block) {
            while (file.size() + 40 < block * kBlock) file += "\"filler\",7,\r\n";
            // One line of the length that brings the cut to the block's end.
            const size_t room = block * kBlock - file.size() - std::strlen(c.before);
            file += "\"" + std::string(room - 6, 'x') + "\",3,\n";
            file += c.before;
            ASSERT_EQ(file.size(), block * kBlock);
            file += c.after;
        }
        file += "\"end\",9,\r\n2);\r\n";
        WriteBytes(path, file);
        const std::string expected = LoadWith(reference::LoadTableFile, path);
        const std::string actual = LoadWith(LoadTableFile, path);
        EXPECT_EQ(expected.substr(0, 300), actual.substr(0, 300));
        EXPECT_TRUE(expected == actual) << "the outcomes differ past their beginnings";
    }
}

}  // namespace
