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

    std::string Text(char quote) {
        static const std::string pool =
            "abcXYZ09 ,=;\"'\\\t\x01\x1f\x7f\x80\xa0\xc4\xe4\xf6\xfc\xdf\xff{}()[]-+.eE";
        switch (Pick(0, 9)) {
            case 0:
                return "null";
            case 1:
                return "";
            case 2:
                return Pick(0, 1) ? "true" : "12";
            default:
                break;
        }
        std::string s;
        const int n = Pick(1, 40);
        for (int i = 0; i < n; ++i)
            s.push_back(pool[static_cast<size_t>(Pick(0, static_cast<int>(pool.size()) - 1))]);
        (void)quote;
        return s;
    }

    std::string Name(char quote, const std::vector<RandomColumn>& taken) {
        static const std::string pool = "abcdefXYZ 09_,=.'\"\xc4\xe4\xdf\t";
        for (;;) {
            std::string s;
            const int n = Pick(1, 31);
            for (int i = 0; i < n; ++i) {
                const char c =
                    pool[static_cast<size_t>(Pick(0, static_cast<int>(pool.size()) - 1))];
                if (c != quote) s.push_back(c);
            }
            if (s.empty()) continue;
            const bool clash = std::any_of(taken.begin(), taken.end(), [&](const RandomColumn& c) {
                return SameText(c.name, s);
            });
            if (!clash) return s;
        }
    }

    std::string Number() {
        // An integer mantissa of up to 15 digits times a power of ten.
        const int digits = Pick(1, 15);
        std::string m = std::to_string(Pick(1, 9));
        for (int i = 1; i < digits; ++i) m.push_back(static_cast<char>('0' + Pick(0, 9)));
        return (Chance(30) ? "-" : "") + m + "e" + std::to_string(Pick(-25, 25));
    }

    std::vector<RandomColumn> Table(char quote) {
        std::vector<RandomColumn> cols;
        const int ncols = Pick(1, 6);
        const int nrows = Pick(0, 12);
        for (int c = 0; c < ncols; ++c) {
            RandomColumn col;
            col.name = Name(quote, cols);
            const TFieldType types[] = {ftString, ftInteger, ftFloat, ftBoolean};
            col.type = types[Pick(0, 3)];
            const int nullPercent = Chance(25) ? 100 : Pick(0, 60);
            for (int r = 0; r < nrows; ++r) {
                if (Chance(nullPercent)) {
                    col.values.push_back(std::nullopt);
                    continue;
                }
                switch (col.type) {
                    case ftString:
                        col.values.push_back(Text(quote));
                        break;
                    case ftInteger:
                        col.values.push_back(std::to_string(Pick(-2147483647, 2147483647)));
                        break;
                    case ftFloat:
                        col.values.push_back(Number());
                        break;
                    default:
                        col.values.push_back(Pick(0, 1) ? "true" : "false");
                        break;
                }
            }
            cols.push_back(col);
        }
        return cols;
    }

  private:
    std::mt19937 rng_;
};

std::string NumberAsRead(const std::string& text) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.17g", std::strtod(text.c_str(), nullptr));
    return buf;
}

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
                if (!v) continue;
                TField& f = source.Fields()[static_cast<int>(j)];
                switch (cols[j].type) {
                    case ftString:
                        f.SetAsString(*v);
                        break;
                    case ftInteger:
                        f.SetAsInteger(std::stoll(*v));
                        break;
                    case ftFloat:
                        f.SetAsFloat(std::strtod(v->c_str(), nullptr));
                        break;
                    default:
                        f.SetAsBoolean(*v == "true");
                        break;
                }
            }
            source.Post();
        }
        ASSERT_TRUE(SaveTableFile(path, quote, source)) << "round " << round;

        // What the reader must make of it.
        std::vector<std::string> wantDefs;
        std::vector<std::vector<std::string>> wantRows(nrows);
        for (const auto& c : cols) {
            const bool anyValue = std::any_of(c.values.begin(), c.values.end(),
                                              [](const auto& v) { return v.has_value(); });
            if (c.type == ftString || !anyValue) {
                size_t longest = 0;
                for (const auto& v : c.values) {
                    if (v) longest = std::max(longest, v->size());
                }
                wantDefs.push_back(c.name + ":S:" + std::to_string(16 + longest));
            } else {
                wantDefs.push_back(c.name + (c.type == ftBoolean ? ":B:0" : ":F:0"));
            }
            for (size_t r = 0; r < nrows; ++r) {
                const auto& v = c.values[r];
                if (!v || *v == "null") {
                    wantRows[r].push_back("null");
                } else if (c.type == ftString) {
                    wantRows[r].push_back("'" + *v);
                } else if (c.type == ftBoolean) {
                    wantRows[r].push_back(*v);
                } else {
                    wantRows[r].push_back(NumberAsRead(*v));
                }
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
