#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <random>
#include <string>
#include <vector>

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
    bool Chance(int percent) { return Pick(1, 100) <= percent; }
    // Between lo and hi bytes from pool, without the byte left out.
    std::string Bytes(const std::string& pool, int lo, int hi, char leftOut = '\0') {
        std::string s;
        for (int n = Pick(lo, hi); n > 0; --n) {
            const char c = pool[static_cast<size_t>(Pick(0, static_cast<int>(pool.size()) - 1))];
            if (c != leftOut) s.push_back(c);
        }
        return s;
    }

    // Texts, with keywords and numbers among them that must stay texts.
    std::string Text() {
        const char* special[] = {"null", "", "true", "12"};
        const int k = Pick(0, 9);
        if (k < 4) return special[k];
        return Bytes("abcXYZ09 ,=;\"'\\\t\x01\x1f\x7f\x80\xa0\xc4\xe4\xf6\xfc\xdf\xff{}()[]-+.eE",
                     1, 40);
    }

    // An integer mantissa of up to 15 digits times a power of ten.
    std::string Number() {
        std::string m = std::to_string(Pick(1, 9)) + Bytes("0123456789", 0, 14);
        return (Chance(30) ? "-" : "") + m + "e" + std::to_string(Pick(-25, 25));
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
            const int nullPercent = Chance(25) ? 100 : Pick(0, 60);
            for (int r = 0; r < nrows; ++r) {
                if (Chance(nullPercent)) {
                    col.values.push_back(std::nullopt);
                } else if (col.type == ftString) {
                    col.values.push_back(Text());
                } else if (col.type == ftInteger) {
                    col.values.push_back(std::to_string(Pick(-2147483647, 2147483647)));
                } else if (col.type == ftFloat) {
                    col.values.push_back(Number());
                } else {
                    col.values.push_back(Pick(0, 1) ? "true" : "false");
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
    ScratchDir dir(true);
    const std::string path = dir.File("rt.qmt");
    for (int round = 0; round < 300; ++round) {
        DecimalMark mark(round % 2 ? ',' : '.');
        const char quote = round % 3 == 0 ? '\'' : '"';
        const std::vector<RandomColumn> cols = random.Table(quote);
        const size_t nrows = cols[0].values.size();

        TClientDataSet source;
        std::vector<ColumnDef> defs;
        for (const auto& c : cols) defs.push_back({c.name, c.type, 64});
        MakeDataSet(source, defs);
        for (size_t r = 0; r < nrows; ++r) {
            source.Append();
            for (size_t j = 0; j < cols.size(); ++j) {
                const auto& v = cols[j].values[r];
                TField& f = source.Fields()[static_cast<int>(j)];
                if (!v) continue;
                if (cols[j].type == ftFloat) {
                    f.SetAsFloat(std::strtod(v->c_str(), nullptr));
                } else {
                    f.SetAsString(*v);
                }
            }
            source.Post();
        }
        ASSERT_TRUE(SaveTableFile(path, quote, source)) << "round " << round;

        // What the reader must make of it: a column without a single value,
        // and every text column, becomes a text column of 16 plus its
        // longest text; numbers come back as floats, "null" texts as nulls.
        Defs wantDefs;
        Rows wantRows(nrows);
        for (const auto& c : cols) {
            size_t longest = 0;
            bool anyValue = false;
            for (const auto& v : c.values) {
                if (v) longest = std::max(longest, v->size()), anyValue = true;
            }
            if (c.type == ftString || !anyValue) {
                wantDefs.push_back(c.name + ":S:" + std::to_string(16 + longest));
            } else {
                wantDefs.push_back(c.name + (c.type == ftBoolean ? ":B:0" : ":F:0"));
            }
            for (size_t r = 0; r < nrows; ++r) {
                const auto& v = c.values[r];
                char number[64];
                if (v && c.type != ftString && c.type != ftBoolean)
                    std::snprintf(number, sizeof number, "%.17g", std::strtod(v->c_str(), nullptr));
                wantRows[r].push_back(!v || *v == "null"    ? "null"
                                      : c.type == ftString  ? "'" + *v
                                      : c.type == ftBoolean ? *v
                                                            : std::string(number));
            }
        }

        TClientDataSet target;
        ASSERT_TRUE(LoadTableFile(path, target)) << "round " << round << "\n" << ReadBytes(path);
        EXPECT_EQ(DefsOf(target), wantDefs) << "round " << round;
        EXPECT_EQ(RecordsOf(target), wantRows) << "round " << round << "\n" << ReadBytes(path);

        // Writing the loaded table again gives the same values.
        ASSERT_TRUE(SaveTableFile(path, quote, target));
        TClientDataSet again;
        ASSERT_TRUE(LoadTableFile(path, again));
        EXPECT_EQ(RecordsOf(again), wantRows) << "round " << round;
        if (HasFailure()) break;
    }
}

}  // namespace
