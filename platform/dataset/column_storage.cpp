// The storage's out-of-line parts: the view lookups and the building of an
// index (sort keys first, then the full comparison within runs of equal keys).

#include "platform/dataset/detail/column_storage.h"

namespace dataset_detail {

int Storage::FindInView(int rec) const {
    if (rec < 0) return -1;
    if (!indexed) return natPos[rec];
    const auto& v = View();
    auto it = std::find(v.begin(), v.end(), rec);
    return it == v.end() ? -1 : static_cast<int>(it - v.begin());
}

void Storage::Reset(std::vector<ColumnSchema> newSchema) {
    schema = std::move(newSchema);
    columns.clear();
    for (const auto& c : schema) columns.emplace_back(c.kind);
    buffer.assign(schema.size(), Slot());
    gen = 1;
    editRec = -1;
    written.clear();
    slots = 0;
    order.clear();
    natPos.clear();
    index.clear();
    indexed = false;
    keyParts.clear();
    cur = -1;
    insertPos = insertBefore = -1;
}

void Storage::Renumber(size_t from) {
    for (size_t i = from; i < order.size(); ++i) natPos[order[i]] = static_cast<int32_t>(i);
}

int Storage::CompareRecords(const std::vector<KeyPart>& parts, int a, int b, size_t from) const {
    for (size_t i = from; i < parts.size(); ++i) {
        const KeyPart& p = parts[i];
        int r = columns[p.column].Compare(a, b, p.caseInsensitive);
        if (r) return p.descending ? -r : r;
    }
    return 0;
}

template <class It>
void Storage::TieBreak(const std::vector<KeyPart>& parts, It begin, It end) const {
    const KeyPart& first = parts[0];
    const Column& col = columns[first.column];
    auto byRest = [&](int32_t a, int32_t b) { return CompareRecords(parts, a, b, 1) < 0; };
    if (col.kind != Kind::Text) {
        // Equal keys of a number or truth value are equal values.
        if (parts.size() > 1) std::stable_sort(begin, end, byRest);
        return;
    }
    // Texts that share their first sixteen weights and go on are ordered by
    // the next sixteen, and so on, before any two are compared whole: the
    // runs still equal when their texts end are left for the full comparison.
    struct Run {
        It begin;
        It end;
        size_t offset;  // the texts' weights before this are equal
    };
    std::vector<Run> work{{begin, end, 16}};
    struct Chunk {
        uint64_t high;
        uint64_t low;
        int32_t rec;
    };
    std::vector<Chunk> chunks;
    while (!work.empty()) {
        const Run run = work.back();
        work.pop_back();
        // A text that ends before offset, its weights there equal to the
        // others', tells that all of them end there: they are equal in the
        // first weights and only the full comparison can part them.
        if (col.lengths[*run.begin] < run.offset) {
            CollateRun(parts, run.begin, run.end);
            continue;
        }
        chunks.clear();
        for (It it = run.begin; it != run.end; ++it) {
            uint64_t high = 0;
            uint64_t low = 0;
            const std::string_view text = col.Text(*it);
            TextPrefix(text.substr(std::min(run.offset, text.size())), high, low);
            chunks.push_back(first.descending ? Chunk{~high, ~low, *it} : Chunk{high, low, *it});
        }
        std::stable_sort(chunks.begin(), chunks.end(), [](const Chunk& a, const Chunk& b) {
            return a.high != b.high ? a.high < b.high : a.low < b.low;
        });
        It out = run.begin;
        for (size_t i = 0; i < chunks.size();) {
            size_t j = i + 1;
            while (j < chunks.size() && chunks[j].high == chunks[i].high &&
                   chunks[j].low == chunks[i].low)
                ++j;
            const It subBegin = out;
            for (size_t k = i; k < j; ++k) *out++ = chunks[k].rec;
            if (j - i > 1) work.push_back(Run{subBegin, out, run.offset + 16});
            i = j;
        }
    }
}

template <class It>
void Storage::CollateRun(const std::vector<KeyPart>& parts, It begin, It end) const {
    const KeyPart& first = parts[0];
    const Column& col = columns[first.column];
    auto byRest = [&](int32_t a, int32_t b) { return CompareRecords(parts, a, b, 1) < 0; };
    // Byte-identical texts (also a run of nulls) need no collation.
    const std::string_view head = col.Text(*begin);
    bool identical = true;
    for (It it = begin + 1; it != end && identical; ++it) identical = col.Text(*it) == head;
    if (identical) {
        if (parts.size() > 1) std::stable_sort(begin, end, byRest);
        return;
    }
    // The texts' places are carried in the entries, so that comparing two
    // of them reads the arena only.
    struct Tie {
        uint64_t offset;
        uint32_t length;
        int32_t rec;
    };
    std::vector<Tie> ties;
    ties.reserve(static_cast<size_t>(end - begin));
    for (It it = begin; it != end; ++it) {
        ties.push_back(Tie{col.offsets[*it], col.lengths[*it], *it});
    }
    const char* arena = col.arena.data();
    std::stable_sort(ties.begin(), ties.end(), [&](const Tie& a, const Tie& b) {
        const std::string_view ta(arena + a.offset, a.length);
        const std::string_view tb(arena + b.offset, b.length);
        int r = ta == tb ? 0 : CollateText(ta, tb, first.caseInsensitive);
        if (r) return first.descending ? r > 0 : r < 0;
        return parts.size() > 1 && CompareRecords(parts, a.rec, b.rec, 1) < 0;
    });
    It out = begin;
    for (const Tie& t : ties) *out++ = t.rec;
}

namespace {

// Sorts entries by key, stable, when they hold only a few distinct keys (a
// column of a handful of values, truth values): each entry's key is looked up
// among the distinct ones, which alone are sorted, and the entries are then
// placed by the rank of their key in one pass. result gets the records in the
// sorted order, runs the number of records of each key in that order. False,
// with nothing changed, when there are more distinct keys than that.
template <class Entry>
bool SortByFewKeys(const LargeVector<Entry>& entries, LargeVector<int32_t>& result,
                   std::vector<size_t>& runs) {
    constexpr size_t kMaxKeys = 64;
    constexpr size_t kSlots = 256;  // a power of two, well above kMaxKeys
    const size_t n = entries.size();
    if (n < 2 * kMaxKeys) return false;
    int16_t slots[kSlots];
    std::fill(std::begin(slots), std::end(slots), int16_t{-1});
    Entry keys[kMaxKeys];
    size_t keyCount = 0;
    std::vector<uint8_t> keyOf(n);
    for (size_t i = 0; i < n; ++i) {
        const Entry& e = entries[i];
        uint64_t h =
            (e.high * 0x9E3779B97F4A7C15ull) ^ (e.low * 0xC2B2AE3D27D4EB4Full) ^ e.hasValue;
        h ^= h >> 29;
        size_t slot = static_cast<size_t>(h) & (kSlots - 1);
        while (slots[slot] >= 0 && !keys[slots[slot]].SameKey(e)) slot = (slot + 1) & (kSlots - 1);
        if (slots[slot] < 0) {
            if (keyCount == kMaxKeys) return false;
            keys[keyCount] = e;
            slots[slot] = static_cast<int16_t>(keyCount++);
        }
        keyOf[i] = static_cast<uint8_t>(slots[slot]);
    }
    // The rank of each distinct key, and where its entries begin.
    size_t byRank[kMaxKeys];
    for (size_t k = 0; k < keyCount; ++k) byRank[k] = k;
    std::sort(byRank, byRank + keyCount, [&](size_t a, size_t b) { return keys[a] < keys[b]; });
    size_t start[kMaxKeys] = {};
    size_t count[kMaxKeys] = {};
    for (size_t i = 0; i < n; ++i) ++count[keyOf[i]];
    size_t at = 0;
    for (size_t r = 0; r < keyCount; ++r) {
        start[byRank[r]] = at;
        at += count[byRank[r]];
    }
    for (size_t i = 0; i < n; ++i) result[start[keyOf[i]]++] = entries[i].rec;
    runs.clear();
    for (size_t r = 0; r < keyCount; ++r) runs.push_back(count[byRank[r]]);
    return true;
}

}  // namespace

LargeVector<int32_t> Storage::BuildIndex(const std::vector<KeyPart>& parts) const {
    struct Entry {
        uint64_t high;
        uint64_t low;
        uint32_t hasValue;
        int32_t rec;
        bool operator<(const Entry& o) const {
            if (hasValue != o.hasValue) return hasValue < o.hasValue;
            if (high != o.high) return high < o.high;
            return low < o.low;
        }
        bool SameKey(const Entry& o) const {
            return hasValue == o.hasValue && high == o.high && low == o.low;
        }
    };
    const Column& first = columns[parts[0].column];
    const bool desc = parts[0].descending;
    LargeVector<Entry> entries(order.size());
    for (size_t i = 0; i < order.size(); ++i) {
        const Column::SortKey k = first.KeyOf(order[i]);
        entries[i] = desc ? Entry{~k.high, ~k.low, 1 - k.hasValue, order[i]}
                          : Entry{k.high, k.low, k.hasValue, order[i]};
    }
    // First by the key alone (no look at the records), then each run of
    // equal keys by the full comparison; both stable, so ties keep natural
    // order. Equal keys of a number or truth value need no second look.
    LargeVector<int32_t> result(entries.size());
    std::vector<size_t> runs;  // the number of records of each key, in sorted order
    const bool tieBreak = parts.size() > 1 || first.kind == Kind::Text;
    if (!SortByFewKeys(entries, result, runs)) {
        std::stable_sort(entries.begin(), entries.end());
        for (size_t i = 0; i < entries.size(); ++i) result[i] = entries[i].rec;
        if (tieBreak) {
            for (size_t begin = 0; begin < entries.size();) {
                size_t end = begin + 1;
                while (end < entries.size() && entries[end].SameKey(entries[begin])) ++end;
                runs.push_back(end - begin);
                begin = end;
            }
        }
    }
    if (tieBreak) {
        size_t begin = 0;
        for (const size_t run : runs) {
            if (run > 1) {
                TieBreak(parts, result.begin() + static_cast<std::ptrdiff_t>(begin),
                         result.begin() + static_cast<std::ptrdiff_t>(begin + run));
            }
            begin += run;
        }
    }
    return result;
}

int Storage::PlaceInIndex(int rec) {
    auto it = std::lower_bound(index.begin(), index.end(), rec, [&](int32_t a, int32_t b) {
        int r = CompareRecords(keyParts, a, b);
        if (r) return r < 0;
        return natPos[a] < natPos[b];
    });
    it = index.insert(it, rec);
    return static_cast<int>(it - index.begin());
}

}  // namespace dataset_detail
