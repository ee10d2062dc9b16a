#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>

#include "platform/core/ansi.h"
#include "table_file/sy_db.h"
#include "tests/table_file/table_file_test_support.h"

namespace {

using namespace table_file_test;

// One column of a random table: its kind and its values (nullopt is null).
// Numbers are kept as the text they were made from, which has at most 15
// significant digits and so survives the writer unchanged.
struct RandomColumn {
    std::string name;
    TFieldType type;
    std::vector<std::optional<std::string>> values;
};

class RandomTables {
  public:
    explicit RandomTables(unsigned seed) : rng_(seed) {}

    int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    // Between lo and hi bytes from pool, without the byte left out.
    std::string Bytes(const std::string& pool, int lo, int hi, char leftOut = '\0') {
        std::string s;
        for (int n = Pick(lo, hi); n > 0; --n) {
            const char c = pool[static_cast<size_t>(Pick(0, static_cast<int>(pool.size()) - 1))];
            if (c != leftOut) s.push_back(c);
        }
        return s;
    }

    // A value of the kind: texts with keywords and numbers among them that
    // must stay texts; numbers as an integer mantissa of up to 15 digits
    // times a power of ten.
    std::string Value(TFieldType type) {
        const int k = Pick(0, 9);
        if (type == ftInteger) return std::to_string(Pick(-2147483647, 2147483647));
        if (type == ftBoolean) return k % 2 ? "true" : "false";
        if (type == ftFloat)
            return (k < 3 ? "-" : "") + std::to_string(Pick(1, 9)) + Bytes("0123456789", 0, 14) +
                   "e" + std::to_string(Pick(-25, 25));
        if (k < 4) return Texts{"null", "", "true", "12"}[static_cast<size_t>(k)];
        return Bytes("abcXYZ09 ,=;\"'\\\t\x01\x1f\x7f\x80\xa0\xc4\xe4\xf6\xfc\xdf\xff{}()[]-+.eE",
                     1, 40);
    }

    std::vector<RandomColumn> Table(char quote) {
        std::vector<RandomColumn> cols(static_cast<size_t>(Pick(1, 6)));
        const int nrows = Pick(0, 12);
        for (size_t c = 0; c < cols.size(); ++c) {
            RandomColumn& col = cols[c];
            auto clash = [&](const RandomColumn& other) { return SameText(other.name, col.name); };
            do {
                col.name = Bytes("abcdefXYZ 09_,=.'\"\xc4\xe4\xdf\t", 1, 31, quote);
            } while (col.name.empty() || std::any_of(cols.begin(), cols.begin() + c, clash));
            col.type = std::vector<TFieldType>{ftString, ftInteger, ftFloat, ftBoolean}[Pick(0, 3)];
            const int nullPercent = Pick(1, 4) == 1 ? 100 : Pick(0, 60);
            for (int r = 0; r < nrows; ++r) {
                if (Pick(1, 100) <= nullPercent) {
                    col.values.push_back(std::nullopt);
                } else {
                    col.values.push_back(Value(col.type));
                }
            }
        }
        return cols;
    }

  private:
    std::mt19937 rng_;
};

TEST(RoundTripTest, RandomTablesReadBackAsPredicted) {
    RandomTables random(20240611);
    ScratchDir dir;
    const std::string path = dir.File("rt.qmt");
    for (int round = 0; round < 300; ++round) {
        DecimalMark mark(round % 2 ? ',' : '.');
        const char quote = round % 3 == 0 ? '\'' : '"';
        const std::vector<RandomColumn> cols = random.Table(quote);
        const size_t nrows = cols[0].values.size();

        // Numbers are written without a decimal mark, so they fill in as
        // text whatever the mark.
        TClientDataSet source;
        std::vector<FieldDecl> defs;
        Rows rows(nrows);
        for (const auto& c : cols) {
            defs.push_back({c.name, c.type, c.type == ftString ? 64 : -1});
            for (size_t r = 0; r < nrows; ++r) rows[r].push_back(c.values[r].value_or("~"));
        }
        MakeTable(source, defs);
        AppendRows(source, rows);
        ASSERT_TRUE(SaveTableFile(path, quote, source)) << "round " << round;

        // What the reader must make of it: a column without a single value,
        // and every text column, becomes a text column of 16 plus its
        // longest text; numbers come back as floats, "null" texts as nulls.
        Texts wantDefs;
        for (const auto& c : cols) {
            size_t longest = 0;
            bool anyValue = false;
            for (const auto& v : c.values) {
                if (v) longest = std::max(longest, v->size()), anyValue = true;
            }
            wantDefs.push_back(c.type == ftString || !anyValue
                                   ? c.name + ":S:" + std::to_string(16 + longest)
                                   : c.name + (c.type == ftBoolean ? ":B:0" : ":F:0"));
        }
        Rows wantRows = RecordsOf(source);
        for (auto& row : wantRows)
            std::replace(row.begin(), row.end(), std::string("'null"), std::string("null"));

        TClientDataSet target;
        ASSERT_TRUE(LoadTableFile(path, target)) << "round " << round << "\n" << ReadBytes(path);
        EXPECT_EQ(DefsOf(target), wantDefs) << "round " << round;
        EXPECT_EQ(RecordsOf(target), wantRows) << "round " << round << "\n" << ReadBytes(path);
    }
}

}  // namespace
