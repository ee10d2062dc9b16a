#include "platform/dataset/client_dataset.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

#include "platform/core/exceptions.h"
#include "platform/core/number_text.h"

namespace {

constexpr size_t kMaxFieldNameLength = 31;
constexpr int kMaxStringSize = 65530;  // a text length of 65531 or more is refused
constexpr int kDefaultStringSize = 20;

constexpr const char* kTooManyRecords =
    "Die Datenmenge kann nicht mehr als %d Datensätze aufnehmen";

constexpr std::string_view kTrueText = "Wahr";
constexpr std::string_view kFalseText = "Falsch";

// How a column keeps its values.
enum class Kind : uint8_t { Int, Float, Bool, Text };

bool KindOf(TFieldType type, Kind& kind) {
    switch (type) {
        case ftString:
            kind = Kind::Text;
            return true;
        case ftSmallint:
        case ftInteger:
        case ftWord:
        case ftAutoInc:
        case ftLargeint:
            kind = Kind::Int;
            return true;
        case ftFloat:
        case ftCurrency:
            kind = Kind::Float;
            return true;
        case ftBoolean:
            kind = Kind::Bool;
            return true;
        default:
            return false;
    }
}

// ---------------------------------------------------------------- collation

// Two weight tables over the 256 bytes of Windows-1252. The first ignores case
// and accents (every letter weighs as its base letter); the second ignores
// case only. Weight 0 is never given, so a key padded with 0 sorts a shorter
// text first.
struct Collation {
    uint8_t primary[256];
    uint8_t secondary[256];

    Collation() {
        char base[256] = {};
        for (int c = 'a'; c <= 'z'; ++c) {
            base[c] = static_cast<char>(c);
            base[c - 'a' + 'A'] = static_cast<char>(c);
        }
        auto set = [&](std::initializer_list<int> bytes, char letter) {
            for (int b : bytes) base[b] = letter;
        };
        set({0x83}, 'f');
        set({0x8A, 0x9A, 0xDF}, 's');
        set({0x8C, 0x9C, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD8, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF8},
            'o');
        set({0x8E, 0x9E}, 'z');
        set({0x9F, 0xDD, 0xFD, 0xFF}, 'y');
        set({0xC0, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xE0, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6},
            'a');
        set({0xC7, 0xE7}, 'c');
        set({0xC8, 0xC9, 0xCA, 0xCB, 0xE8, 0xE9, 0xEA, 0xEB}, 'e');
        set({0xCC, 0xCD, 0xCE, 0xCF, 0xEC, 0xED, 0xEE, 0xEF}, 'i');
        set({0xD0, 0xF0}, 'd');
        set({0xD1, 0xF1}, 'n');
        set({0xD9, 0xDA, 0xDB, 0xDC, 0xF9, 0xFA, 0xFB, 0xFC}, 'u');
        set({0xDE, 0xFE}, 't');

        int weight = 0;
        for (int b = 0; b < 256; ++b) {
            if (!base[b] && !(b >= '0' && b <= '9')) primary[b] = static_cast<uint8_t>(++weight);
        }
        for (int b = '0'; b <= '9'; ++b) primary[b] = static_cast<uint8_t>(++weight);
        for (int c = 'a'; c <= 'z'; ++c) {
            ++weight;
            for (int b = 0; b < 256; ++b) {
                if (base[b] == c) primary[b] = static_cast<uint8_t>(weight);
            }
        }

        for (int b = 0; b < 256; ++b) secondary[b] = static_cast<uint8_t>(b);
        for (int b = 'A'; b <= 'Z'; ++b) secondary[b] = static_cast<uint8_t>(b + 0x20);
        secondary[0x8A] = 0x9A;
        secondary[0x8C] = 0x9C;
        secondary[0x8E] = 0x9E;
        secondary[0x9F] = 0xFF;
        for (int b = 0xC0; b <= 0xDE; ++b) {
            if (b != 0xD7) secondary[b] = static_cast<uint8_t>(b + 0x20);
        }
    }
};

const Collation& Coll() {
    static const Collation collation;
    return collation;
}

// Names of fields and indexes compare without regard to case, umlauts included.
bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    const uint8_t* fold = Coll().secondary;
    for (size_t i = 0; i < a.size(); ++i) {
        if (fold[static_cast<unsigned char>(a[i])] != fold[static_cast<unsigned char>(b[i])]) {
            return false;
        }
    }
    return true;
}

// A name in the form under which SameName finds it equal to others: every
// byte replaced by its case-folded one.
std::string FoldName(std::string_view name) {
    const uint8_t* fold = Coll().secondary;
    std::string folded(name.size(), '\0');
    for (size_t i = 0; i < name.size(); ++i) {
        folded[i] = static_cast<char>(fold[static_cast<unsigned char>(name[i])]);
    }
    return folded;
}

int CompareLevel(std::string_view a, std::string_view b, const uint8_t* table) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const uint8_t wa = table[static_cast<unsigned char>(a[i])];
        const uint8_t wb = table[static_cast<unsigned char>(b[i])];
        if (wa != wb) return wa < wb ? -1 : 1;
    }
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    return 0;
}

int CollateText(std::string_view a, std::string_view b, bool caseInsensitive) {
    if (a == b) return 0;
    const Collation& c = Coll();
    if (int r = CompareLevel(a, b, c.primary)) return r;
    if (int r = CompareLevel(a, b, c.secondary)) return r;
    if (caseInsensitive) return 0;
    const int r = a.compare(b);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

// Sixteen primary weights from position from on, most significant first, as
// two numbers.
void TextPrefix(std::string_view s, uint64_t& high, uint64_t& low) {
    const Collation& c = Coll();
    uint64_t key[2] = {0, 0};
    for (size_t i = 0; i < 16; ++i) {
        key[i / 8] <<= 8;
        if (i < s.size()) key[i / 8] |= c.primary[static_cast<unsigned char>(s[i])];
    }
    high = key[0];
    low = key[1];
}

// An unsigned number that orders like the double (zero's sign ignored).
uint64_t FloatOrderBits(double d) {
    if (d == 0) d = 0;
    const uint64_t bits = std::bit_cast<uint64_t>(d);
    return (bits & (1ull << 63)) ? ~bits : bits | (1ull << 63);
}

int64_t RoundToInt64(double d) {
    if (std::isnan(d)) return 0;
    if (d >= 9.2e18) return std::numeric_limits<int64_t>::max();
    if (d <= -9.2e18) return std::numeric_limits<int64_t>::min();
    return std::llround(d);
}

bool ParseBoolText(std::string_view text, bool& value) {
    if (SameText(text, kTrueText) || SameText(text, "true")) {
        value = true;
        return true;
    }
    if (SameText(text, kFalseText) || SameText(text, "false")) {
        value = false;
        return true;
    }
    return false;
}

// Field names of a ";"-separated list, blanks trimmed, empty entries skipped.
std::vector<AnsiString> SplitFieldList(std::string_view list) {
    std::vector<AnsiString> names;
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(';', start);
        if (end == std::string_view::npos) end = list.size();
        std::string_view name = TrimView(list.substr(start, end - start));
        if (!name.empty()) names.emplace_back(name);
        start = end + 1;
    }
    return names;
}

// The fields of an index's field list: the whole text when it names a field of
// the dataset as it stands (a column name may hold ";" or begin or end with a
// blank), otherwise the parts of the ";"-separated list.
std::vector<AnsiString> FieldList(TClientDataSet& dataSet, const AnsiString& list) {
    if (!list.empty() && dataSet.FindField(list)) return {list};
    return SplitFieldList(list);
}

bool ListContains(const std::vector<AnsiString>& names, std::string_view name) {
    for (const auto& n : names) {
        if (SameName(n, name)) return true;
    }
    return false;
}

struct ColumnSchema {
    AnsiString name;
    TFieldType type;
    int size;
    Kind kind;
};

// One value of the edit buffer. The text keeps its capacity from one record to
// the next, so editing record after record does not allocate. A slot holds
// the record's value only when its generation is the buffer's: putting a
// record into edit or insert state starts a new generation and copies
// nothing, and a column is copied into its slot when it is first written.
struct Slot {
    uint32_t gen = 0;
    bool null = true;
    bool dirty = false;
    int64_t i = 0;  // integers and truth values
    double d = 0;
    std::string s;

    void Reset() {
        null = true;
        dirty = false;
        i = 0;
        d = 0;
        s.clear();
    }
};

// The values of one column, by record number.
struct Column {
    Kind kind;
    std::vector<uint8_t> nulls;
    std::vector<int64_t> ints;
    std::vector<double> floats;
    std::vector<uint8_t> bools;
    std::string arena;  // every text of the column, one after another
    std::vector<uint64_t> offsets;
    std::vector<uint32_t> lengths;

    explicit Column(Kind k) : kind(k) {}

    void AddNull() {
        nulls.push_back(1);
        switch (kind) {
            case Kind::Int:
                ints.push_back(0);
                break;
            case Kind::Float:
                floats.push_back(0);
                break;
            case Kind::Bool:
                bools.push_back(0);
                break;
            case Kind::Text:
                offsets.push_back(0);
                lengths.push_back(0);
                break;
        }
    }

    std::string_view Text(int r) const {
        return std::string_view(arena.data() + offsets[r], lengths[r]);
    }

    void Store(int r, const Slot& v) {
        nulls[r] = v.null ? 1 : 0;
        switch (kind) {
            case Kind::Int:
                ints[r] = v.null ? 0 : v.i;
                break;
            case Kind::Float:
                floats[r] = v.null ? 0 : v.d;
                break;
            case Kind::Bool:
                bools[r] = (!v.null && v.i) ? 1 : 0;
                break;
            case Kind::Text:
                if (v.null) {
                    lengths[r] = 0;
                } else {
                    StoreText(r, v.s);
                }
                break;
        }
    }

    // The text of record r (its null flag set apart).
    void StoreText(int r, std::string_view s) {
        if (s.size() <= lengths[r]) {
            // A record's text is its own: a text that fits replaces it in place.
            if (!s.empty()) std::memcpy(arena.data() + offsets[r], s.data(), s.size());
        } else {
            offsets[r] = arena.size();
            arena.append(s);
        }
        lengths[r] = static_cast<uint32_t>(s.size());
    }

    void Reserve(size_t records) {
        nulls.reserve(records);
        switch (kind) {
            case Kind::Int:
                ints.reserve(records);
                break;
            case Kind::Float:
                floats.reserve(records);
                break;
            case Kind::Bool:
                bools.reserve(records);
                break;
            case Kind::Text:
                offsets.reserve(records);
                lengths.reserve(records);
                break;
        }
    }

    void Load(int r, Slot& v) const {
        v.Reset();
        if (nulls[r]) return;
        v.null = false;
        switch (kind) {
            case Kind::Int:
                v.i = ints[r];
                break;
            case Kind::Float:
                v.d = floats[r];
                break;
            case Kind::Bool:
                v.i = bools[r];
                break;
            case Kind::Text:
                v.s.assign(Text(r));
                break;
        }
    }

    int Compare(int a, int b, bool caseInsensitive) const {
        const bool na = nulls[a] != 0, nb = nulls[b] != 0;
        if (na || nb) return na == nb ? 0 : (na ? -1 : 1);
        switch (kind) {
            case Kind::Int:
                return ints[a] < ints[b] ? -1 : (ints[b] < ints[a] ? 1 : 0);
            case Kind::Float: {
                const uint64_t x = FloatOrderBits(floats[a]), y = FloatOrderBits(floats[b]);
                return x < y ? -1 : (y < x ? 1 : 0);
            }
            case Kind::Bool:
                return bools[a] < bools[b] ? -1 : (bools[b] < bools[a] ? 1 : 0);
            case Kind::Text:
                return CollateText(Text(a), Text(b), caseInsensitive);
        }
        return 0;
    }

    // A key whose order agrees with Compare wherever the keys differ: the
    // null flag (0 null, 1 a value), then two numbers. For numbers and truth
    // values equal keys mean equal values.
    struct SortKey {
        uint64_t high;
        uint64_t low;
        uint32_t hasValue;
    };
    SortKey KeyOf(int r) const {
        SortKey key{0, 0, 0};
        if (nulls[r]) return key;
        key.hasValue = 1;
        switch (kind) {
            case Kind::Int:
                key.high = static_cast<uint64_t>(ints[r]) ^ (1ull << 63);
                break;
            case Kind::Float:
                key.high = FloatOrderBits(floats[r]);
                break;
            case Kind::Bool:
                key.high = bools[r];
                break;
            case Kind::Text:
                TextPrefix(Text(r), key.high, key.low);
                break;
        }
        return key;
    }
};

// What a field read sees: the edit buffer's slot, a stored record, or nothing.
struct ValueRef {
    const Slot* slot = nullptr;
    const Column* column = nullptr;
    int rec = -1;

    bool IsNull() const {
        if (slot) return slot->null;
        return rec < 0 || column->nulls[rec] != 0;
    }
    int64_t Int() const {
        if (slot) return slot->i;
        return column->kind == Kind::Bool ? column->bools[rec] : column->ints[rec];
    }
    double Float() const { return slot ? slot->d : column->floats[rec]; }
    std::string_view Text() const { return slot ? std::string_view(slot->s) : column->Text(rec); }
};

struct KeyPart {
    int column;
    bool descending;
    bool caseInsensitive;
};

}  // namespace

// ---------------------------------------------------------------- storage and view

struct TClientDataSet::Impl {
    bool created = false;
    std::vector<ColumnSchema> schema;
    std::vector<Column> columns;
    int slots = 0;  // records ever stored; deleted ones stay unused

    std::vector<int32_t> order;   // natural order: record numbers
    std::vector<int32_t> natPos;  // by record number: position in order (-1 deleted)

    bool indexed = false;
    std::vector<KeyPart> keyParts;
    std::vector<int32_t> index;  // the selected index: record numbers in its order

    int cur = -1;           // view position of the current record (the one before an insertion)
    int insertPos = -1;     // view position shown for the record being inserted
    int insertBefore = -1;  // record number it goes before in natural order; -1 = end
    std::vector<Slot> buffer;
    uint32_t gen = 1;              // the buffer's generation (see Slot)
    int editRec = -1;              // the record being edited (dsEdit)
    std::vector<int> written;      // columns written since the record entered the buffer
    mutable std::string textForm;  // ViewText of a column that is not a text

    // Field reads of ViewDisplayText: 0 normal, 1 storage record, 2 edit buffer.
    int redirect = 0;
    int redirectRec = -1;

    const std::vector<int32_t>& View() const { return indexed ? index : order; }

    // Where field reads of column c go: the edit buffer while a record is
    // edited or inserted, else the current record (or what ViewDisplayText names).
    ValueRef Read(int c, TDataSetState state) const {
        ValueRef ref;
        if (redirect == 2 || (redirect == 0 && (state == dsEdit || state == dsInsert))) {
            if (buffer[c].gen == gen) {
                ref.slot = &buffer[c];
            } else {
                // Not written yet: the stored value of the edited record, or
                // null for a record being inserted.
                ref.column = &columns[c];
                ref.rec = state == dsEdit ? editRec : -1;
            }
        } else {
            ref.column = &columns[c];
            ref.rec = redirect == 1 ? redirectRec : CurrentRec();
        }
        return ref;
    }
    int Count() const { return static_cast<int>(View().size()); }
    int CurrentRec() const { return cur >= 0 && cur < Count() ? View()[cur] : -1; }

    int FindInView(int rec) const {
        if (rec < 0) return -1;
        if (!indexed) return natPos[rec];
        const auto& v = View();
        auto it = std::find(v.begin(), v.end(), rec);
        return it == v.end() ? -1 : static_cast<int>(it - v.begin());
    }

    void Reset(std::vector<ColumnSchema> newSchema) {
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

    // Puts a record into the buffer without copying anything: rec for an
    // edit, -1 for an insertion (every value null).
    void StartBuffer(int rec) {
        editRec = rec;
        written.clear();
        if (++gen == 0) {
            for (auto& s : buffer) s.gen = 0;
            gen = 1;
        }
    }

    // The slot of column c for a write, holding the record's value.
    Slot& WritableSlot(int c) {
        Slot& slot = buffer[c];
        if (slot.gen != gen) {
            if (editRec >= 0) {
                columns[c].Load(editRec, slot);
            } else {
                slot.Reset();
            }
            slot.gen = gen;
        }
        return slot;
    }

    void MarkWritten(int c) {
        Slot& slot = buffer[c];
        if (!slot.dirty) {
            slot.dirty = true;
            written.push_back(c);
        }
    }

    int NewRecord() {
        for (auto& c : columns) c.AddNull();
        natPos.push_back(-1);
        return slots++;
    }

    void Renumber(size_t from) {
        for (size_t i = from; i < order.size(); ++i) natPos[order[i]] = static_cast<int32_t>(i);
    }

    // Compares records a and b by the key parts from from on.
    int CompareRecords(const std::vector<KeyPart>& parts, int a, int b, size_t from = 0) const {
        for (size_t i = from; i < parts.size(); ++i) {
            const KeyPart& p = parts[i];
            int r = columns[p.column].Compare(a, b, p.caseInsensitive);
            if (r) return p.descending ? -r : r;
        }
        return 0;
    }

    // Orders records [begin, end) (in natural order, with equal sort keys of
    // the first key part) by the full comparison, stable.
    template <class It>
    void TieBreak(const std::vector<KeyPart>& parts, It begin, It end) const {
        const KeyPart& first = parts[0];
        const Column& col = columns[first.column];
        auto byRest = [&](int32_t a, int32_t b) { return CompareRecords(parts, a, b, 1) < 0; };
        if (col.kind != Kind::Text) {
            // Equal keys of a number or truth value are equal values.
            if (parts.size() > 1) std::stable_sort(begin, end, byRest);
            return;
        }
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

    std::vector<int32_t> BuildIndex(const std::vector<KeyPart>& parts) const {
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
        std::vector<Entry> entries(order.size());
        for (size_t i = 0; i < order.size(); ++i) {
            const Column::SortKey k = first.KeyOf(order[i]);
            entries[i] = desc ? Entry{~k.high, ~k.low, 1 - k.hasValue, order[i]}
                              : Entry{k.high, k.low, k.hasValue, order[i]};
        }
        // First by the key alone (no look at the records), then each run of
        // equal keys by the full comparison; both stable, so ties keep natural
        // order. Equal keys of a number or truth value need no second look.
        std::stable_sort(entries.begin(), entries.end());
        std::vector<int32_t> result(entries.size());
        for (size_t i = 0; i < entries.size(); ++i) result[i] = entries[i].rec;
        if (parts.size() > 1 || first.kind == Kind::Text) {
            for (size_t begin = 0; begin < entries.size();) {
                size_t end = begin + 1;
                while (end < entries.size() && entries[end].SameKey(entries[begin])) ++end;
                if (end - begin > 1) {
                    TieBreak(parts, result.begin() + static_cast<std::ptrdiff_t>(begin),
                             result.begin() + static_cast<std::ptrdiff_t>(end));
                }
                begin = end;
            }
        }
        return result;
    }

    // Puts rec into the selected index at its sorted place; returns that place.
    int PlaceInIndex(int rec) {
        auto it = std::lower_bound(index.begin(), index.end(), rec, [&](int32_t a, int32_t b) {
            int r = CompareRecords(keyParts, a, b);
            if (r) return r < 0;
            return natPos[a] < natPos[b];
        });
        it = index.insert(it, rec);
        return static_cast<int>(it - index.begin());
    }
};

// ---------------------------------------------------------------- field definitions

void TFieldDef::SetName(const AnsiString& name) {
    owner_->ReplaceName(*this, name);
}

void TFieldDef::SetDataType(TFieldType type) {
    dataType_ = type;
    size_ = type == ftString ? kDefaultStringSize : 0;
}

void TFieldDef::SetSize(int size) {
    if (size < 0) throw EDatabaseError(Msg::InvalidFieldSize);
    size_ = size;
}

TFieldDef& TFieldDefs::operator[](int index) {
    return const_cast<TFieldDef&>(std::as_const(*this)[index]);
}

const TFieldDef& TFieldDefs::operator[](int index) const {
    CheckListIndex(index, Count());
    return *defs_[index];
}

TFieldDef& TFieldDefs::AddFieldDef() {
    defs_.push_back(std::unique_ptr<TFieldDef>(new TFieldDef(*this)));
    return *defs_.back();
}

void TFieldDefs::Clear() {
    names_.clear();
    defs_.clear();
}

void TFieldDefs::ReplaceName(TFieldDef& def, const AnsiString& name) {
    AnsiString newName = name;
    if (name.empty()) {
        ForgetName(def);
    } else {
        std::string key = FoldName(name);
        const auto found = names_.find(key);
        if (found != names_.end() && found->second != &def) {
            throw EDatabaseError(FormatMessage(Msg::DuplicateName, {AnsiToUtf8(name)}));
        }
        if (found == names_.end()) {
            // The new name is entered before the old one is given up, so a
            // failure leaves the set as it was.
            const std::string oldKey = FoldName(def.name_);
            names_.emplace(std::move(key), &def);
            if (!def.name_.empty()) names_.erase(oldKey);
        }
    }
    def.name_.swap(newName);
}

void TFieldDefs::ForgetName(const TFieldDef& def) {
    if (def.name_.empty()) return;
    const auto found = names_.find(FoldName(def.name_));
    if (found != names_.end() && found->second == &def) names_.erase(found);
}

int TFieldDefs::IndexOf(std::string_view name) const {
    for (int i = 0; i < Count(); ++i) {
        if (SameName(defs_[i]->name_, name)) return i;
    }
    return -1;
}

// ---------------------------------------------------------------- index definitions

const TIndexDef& TIndexDefs::operator[](int index) const {
    CheckListIndex(index, Count());
    return defs_[index];
}

int TIndexDefs::IndexOf(std::string_view name) const {
    for (int i = 0; i < Count(); ++i) {
        if (SameName(defs_[i].Name, name)) return i;
    }
    return -1;
}

void TIndexDefs::Add(TIndexDef def) {
    if (IndexOf(def.Name) >= 0) {
        owner_.DatabaseError(FormatMessage(Msg::DuplicateIndexName, {AnsiToUtf8(def.Name)}));
    }
    defs_.push_back(std::move(def));
    fieldLists_.emplace_back();
}

void TIndexDefs::Clear() {
    owner_.IndexDefsCleared();
    defs_.clear();
    fieldLists_.clear();
}

// ---------------------------------------------------------------- fields

TField& TFields::operator[](int index) const {
    CheckListIndex(index, Count());
    return *fields_[index];
}

bool TField::IsNull() const {
    return dataSet_->impl_->Read(index_, dataSet_->state_).IsNull();
}

namespace {

// The readers of a value, shared by the fields and the view access.

AnsiString TextForm(const ValueRef& v, Kind kind) {
    if (v.IsNull()) return AnsiString();
    switch (kind) {
        case Kind::Text:
            return AnsiString(v.Text());
        case Kind::Int:
            return IntToStr(v.Int());
        case Kind::Float:
            return FloatToStr(v.Float());
        case Kind::Bool:
            return AnsiString(v.Int() ? kTrueText : kFalseText);
    }
    return AnsiString();
}

int64_t ReadInteger(const ValueRef& v, Kind kind) {
    if (v.IsNull()) return 0;
    switch (kind) {
        case Kind::Int:
        case Kind::Bool:
            return v.Int();
        case Kind::Float:
            return RoundToInt64(v.Float());
        case Kind::Text:
            return StrToInt(v.Text());
    }
    return 0;
}

double ReadFloat(const ValueRef& v, Kind kind) {
    if (v.IsNull()) return 0;
    switch (kind) {
        case Kind::Int:
        case Kind::Bool:
            return static_cast<double>(v.Int());
        case Kind::Float:
            return v.Float();
        case Kind::Text:
            return StrToFloat(v.Text());
    }
    return 0;
}

bool ReadBoolean(const ValueRef& v, Kind kind, const AnsiString& name) {
    if (v.IsNull()) return false;
    switch (kind) {
        case Kind::Int:
        case Kind::Bool:
            return v.Int() != 0;
        case Kind::Float:
            return v.Float() != 0;
        case Kind::Text: {
            bool value = false;
            if (!ParseBoolText(v.Text(), value)) {
                throw EConvertError(FormatMessage(Msg::FieldInvalidBoolean,
                                                  {AnsiToUtf8(v.Text()), AnsiToUtf8(name)}));
            }
            return value;
        }
    }
    return false;
}

void SetTextValue(Slot& slot, std::string_view text, int size) {
    slot.null = false;
    slot.s.assign(text.substr(0, static_cast<size_t>(std::max(size, 0))));
}

// Stores a number or truth value given in each form a column keeps: i for an
// integer column, d for a number column, b for a truth-value column; the text
// form is made only for a text column.
template <class MakeText>
void StoreConverted(Slot& slot, Kind kind, int size, int64_t i, double d, bool b,
                    MakeText makeText) {
    switch (kind) {
        case Kind::Text:
            SetTextValue(slot, makeText(), size);
            break;
        case Kind::Int:
            slot.i = i;
            break;
        case Kind::Float:
            slot.d = d;
            break;
        case Kind::Bool:
            slot.i = b ? 1 : 0;
            break;
    }
    slot.null = false;
}

// The writers of a value into a slot, shared by the fields and the bulk loader.

void WriteString(Slot& slot, const ColumnSchema& col, std::string_view text) {
    const Kind kind = col.kind;
    if (kind == Kind::Text) {
        SetTextValue(slot, text, col.size);
    } else if (text.empty()) {
        slot.null = true;
    } else if (kind == Kind::Int) {
        int value = 0;
        if (!TryStrToInt(text, value)) {
            throw EConvertError(
                FormatMessage(Msg::FieldInvalidInteger, {AnsiToUtf8(text), AnsiToUtf8(col.name)}));
        }
        slot.null = false;
        slot.i = value;
    } else if (kind == Kind::Float) {
        double value = 0;
        if (!TryStrToFloat(text, value)) {
            throw EConvertError(
                FormatMessage(Msg::FieldInvalidFloat, {AnsiToUtf8(text), AnsiToUtf8(col.name)}));
        }
        slot.null = false;
        slot.d = value;
    } else {
        bool value = false;
        if (!ParseBoolText(text, value)) {
            throw EConvertError(
                FormatMessage(Msg::FieldInvalidBoolean, {AnsiToUtf8(text), AnsiToUtf8(col.name)}));
        }
        slot.null = false;
        slot.i = value ? 1 : 0;
    }
}

void WriteInteger(Slot& slot, const ColumnSchema& col, int64_t value) {
    StoreConverted(slot, col.kind, col.size, value, static_cast<double>(value), value != 0,
                   [value] { return IntToStr(value); });
}

void WriteFloat(Slot& slot, const ColumnSchema& col, double value) {
    StoreConverted(slot, col.kind, col.size, col.kind == Kind::Int ? RoundToInt64(value) : 0, value,
                   value != 0, [value] { return FloatToStr(value); });
}

void WriteBoolean(Slot& slot, const ColumnSchema& col, bool value) {
    StoreConverted(slot, col.kind, col.size, value ? 1 : 0, value ? 1.0 : 0.0, value,
                   [value] { return AnsiString(value ? kTrueText : kFalseText); });
}

// The text through OnGetText when it is set, else the field's own text form.
AnsiString HookedText(const TField& field, bool displayText) {
    if (!field.OnGetText) return field.AsString();
    AnsiString text;
    field.OnGetText(const_cast<TField&>(field), text, displayText);
    return text;
}

}  // namespace

AnsiString TField::AsString() const {
    const TClientDataSet::Impl& impl = *dataSet_->impl_;
    return TextForm(impl.Read(index_, dataSet_->state_), impl.schema[index_].kind);
}

int64_t TField::AsInteger() const {
    const TClientDataSet::Impl& impl = *dataSet_->impl_;
    return ReadInteger(impl.Read(index_, dataSet_->state_), impl.schema[index_].kind);
}

double TField::AsFloat() const {
    const TClientDataSet::Impl& impl = *dataSet_->impl_;
    return ReadFloat(impl.Read(index_, dataSet_->state_), impl.schema[index_].kind);
}

bool TField::AsBoolean() const {
    const TClientDataSet::Impl& impl = *dataSet_->impl_;
    return ReadBoolean(impl.Read(index_, dataSet_->state_), impl.schema[index_].kind, name_);
}

// Every write: raises unless a record is being edited or inserted, lets write
// change the edit buffer's slot, then marks the record modified and tells the
// listeners.
template <class Write>
void TField::WriteValue(Write write) {
    dataSet_->CheckEditing();
    TClientDataSet::Impl& impl = *dataSet_->impl_;
    Slot& slot = impl.WritableSlot(index_);
    write(slot, impl.schema[index_]);
    impl.MarkWritten(index_);
    dataSet_->modified_ = true;
    dataSet_->Notify(TDataEvent::RecordChange);
}

void TField::Clear() {
    WriteValue([](Slot& slot, const ColumnSchema&) { slot.null = true; });
}

void TField::SetAsString(std::string_view text) {
    WriteValue([&](Slot& slot, const ColumnSchema& col) { WriteString(slot, col, text); });
}

void TField::SetAsInteger(int64_t value) {
    WriteValue([&](Slot& slot, const ColumnSchema& col) { WriteInteger(slot, col, value); });
}

void TField::SetAsFloat(double value) {
    WriteValue([&](Slot& slot, const ColumnSchema& col) { WriteFloat(slot, col, value); });
}

void TField::SetAsBoolean(bool value) {
    WriteValue([&](Slot& slot, const ColumnSchema& col) { WriteBoolean(slot, col, value); });
}

AnsiString TField::DisplayText() const {
    return HookedText(*this, true);
}

AnsiString TField::Text() const {
    return HookedText(*this, false);
}

void TField::SetText(const AnsiString& text) {
    if (OnSetText) {
        OnSetText(*this, text);
    } else {
        SetAsString(text);
    }
}

// ---------------------------------------------------------------- dataset

TClientDataSet::TClientDataSet() : indexDefs_(*this), impl_(std::make_unique<Impl>()) {}

TClientDataSet::~TClientDataSet() = default;

void TClientDataSet::DatabaseError(const std::string& message) const {
    if (name_.empty()) throw EDatabaseError(message);
    throw EDatabaseError(AnsiToUtf8(name_) + ": " + message);
}

void TClientDataSet::CheckActive() const {
    if (state_ == dsInactive) DatabaseError(Msg::DataSetClosed);
}

void TClientDataSet::CheckEditing() const {
    if (!Editing()) DatabaseError(Msg::NotEditing);
}

void TClientDataSet::SetState(TDataSetState state) {
    if (state_ == state) return;
    state_ = state;
    Notify(TDataEvent::StateChange);
}

void TClientDataSet::Notify(TDataEvent e) {
    if (disableCount_ > 0) {
        changedWhileDisabled_ = true;
        return;
    }
    for (size_t i = 0; i < listeners_.size(); ++i) {
        Listener listener = listeners_[i].second;  // a listener may add or remove listeners
        listener(e);
    }
}

void TClientDataSet::EnableControls() {
    if (disableCount_ == 0 || --disableCount_ > 0 || !changedWhileDisabled_) return;
    changedWhileDisabled_ = false;
    Notify(TDataEvent::DataSetChange);
}

int TClientDataSet::AddListener(Listener listener) {
    const int id = nextListenerId_++;
    listeners_.emplace_back(id, std::move(listener));
    return id;
}

void TClientDataSet::RemoveListener(int id) {
    auto it = std::find_if(listeners_.begin(), listeners_.end(),
                           [id](const auto& entry) { return entry.first == id; });
    if (it != listeners_.end()) listeners_.erase(it);
}

TField* TClientDataSet::FindField(std::string_view name) {
    for (auto& f : fields_.fields_) {
        if (SameName(f->FieldName(), name)) return f.get();
    }
    return nullptr;
}

TField& TClientDataSet::FieldByName(std::string_view name) {
    TField* field = FindField(name);
    if (!field) DatabaseError(FormatMessage(Msg::FieldNotFound, {AnsiToUtf8(name)}));
    return *field;
}

void TClientDataSet::MakeFields() {
    fields_.fields_.clear();
    const auto& schema = impl_->schema;
    for (size_t i = 0; i < schema.size(); ++i) {
        fields_.fields_.push_back(std::unique_ptr<TField>(new TField(
            *this, static_cast<int>(i), schema[i].name, schema[i].type, schema[i].size)));
    }
}

void TClientDataSet::CreateDataSet() {
    const int count = fieldDefs_.Count();
    for (int i = 0; i < count; ++i) {
        const AnsiString& name = fieldDefs_[i].Name();
        if (name.size() > kMaxFieldNameLength) {
            throw EDatabaseError(FormatMessage(
                Msg::FieldNameTooLong,
                {AnsiToUtf8(name), IntToStr(static_cast<int64_t>(kMaxFieldNameLength))}));
        }
    }
    if (count == 0) throw EDatabaseError(Msg::NoFieldsDefined);
    std::vector<ColumnSchema> schema;
    for (int i = 0; i < count; ++i) {
        const TFieldDef& def = fieldDefs_[i];
        Kind kind;
        if (!KindOf(def.DataType(), kind)) throw EDatabaseError(Msg::InvalidFieldType);
        if (def.DataType() == ftString) {
            if (def.Size() == 0) throw EDatabaseError(Msg::InvalidParameter);
            if (def.Size() > kMaxStringSize) throw EDatabaseError(Msg::InvalidFieldType);
        }
        schema.push_back(ColumnSchema{def.Name(), def.DataType(), def.Size(), kind});
    }
    for (int i = 0; i < count; ++i) {
        if (fieldDefs_[i].Name().empty()) DatabaseError(Msg::FieldNameMissing);
    }

    const TDataSetState oldState = state_;
    state_ = dsBrowse;
    modified_ = false;
    fields_.fields_.clear();
    impl_->Reset(std::move(schema));
    impl_->created = true;
    MakeFields();
    if (!indexName_.empty()) {
        try {
            SelectIndex(indexName_);
        } catch (const Exception&) {
            // The new structure lacks the index or its fields: natural order.
            indexName_.clear();
            impl_->indexed = false;
        }
    }
    bof_ = eof_ = true;
    if (oldState != dsBrowse) Notify(TDataEvent::StateChange);
    Notify(TDataEvent::DataSetChange);
}

void TClientDataSet::Open() {
    if (Active()) return;
    if (!impl_->created) DatabaseError(Msg::MissingDataPacket);
    MakeFields();
    try {
        impl_->cur = -1;
        impl_->indexed = false;
        if (!indexName_.empty()) SelectIndex(indexName_);
    } catch (...) {
        fields_.fields_.clear();
        throw;
    }
    impl_->cur = impl_->Count() > 0 ? 0 : -1;
    bof_ = true;
    eof_ = impl_->Count() == 0;
    modified_ = false;
    SetState(dsBrowse);
    Notify(TDataEvent::DataSetChange);
}

void TClientDataSet::DiscardEdit() {
    impl_->insertPos = impl_->insertBefore = -1;
    modified_ = false;
}

void TClientDataSet::Close() {
    if (!Active()) return;
    DiscardEdit();
    fields_.fields_.clear();
    SetState(dsInactive);
    Notify(TDataEvent::DataSetChange);
}

void TClientDataSet::ResetStructure() {
    Close();
    FieldDefs().Clear();
    SetIndexName("");
    IndexDefs().Clear();
}

void TClientDataSet::CheckRoomForRecord(int64_t stored) const {
    if (stored >= kMaxRecords) {
        DatabaseError(FormatMessage(kTooManyRecords, {IntToStr(kMaxRecords)}));
    }
}

void TClientDataSet::BeginInsert(bool append) {
    CheckActive();
    CheckBrowseMode();
    Impl& impl = *impl_;
    CheckRoomForRecord(impl.slots);
    if (append || impl.Count() == 0) {
        impl.insertBefore = -1;
        impl.insertPos = impl.Count();
    } else {
        impl.insertBefore = impl.CurrentRec();
        impl.insertPos = impl.cur;
    }
    impl.StartBuffer(-1);
    modified_ = false;
    bof_ = eof_ = false;
    SetState(dsInsert);
    Notify(TDataEvent::DataSetChange);
}

void TClientDataSet::Append() {
    BeginInsert(true);
}

void TClientDataSet::Insert() {
    BeginInsert(false);
}

void TClientDataSet::Edit() {
    CheckActive();
    if (Editing()) return;
    if (impl_->Count() == 0) {
        Append();
        return;
    }
    impl_->StartBuffer(impl_->CurrentRec());
    modified_ = false;
    SetState(dsEdit);
}

void TClientDataSet::Post() {
    CheckActive();
    CheckEditing();
    Impl& impl = *impl_;
    if (state_ == dsInsert) {
        const int rec = impl.NewRecord();
        for (const int c : impl.written) impl.columns[c].Store(rec, impl.buffer[c]);
        const size_t pos = impl.insertBefore >= 0
                               ? static_cast<size_t>(impl.natPos[impl.insertBefore])
                               : impl.order.size();
        impl.order.insert(impl.order.begin() + static_cast<std::ptrdiff_t>(pos), rec);
        impl.Renumber(pos);
        impl.cur = impl.indexed ? impl.PlaceInIndex(rec) : static_cast<int>(pos);
        DiscardEdit();
    } else {
        const int rec = impl.CurrentRec();
        bool keyChanged = false;
        for (const int c : impl.written) {
            impl.columns[c].Store(rec, impl.buffer[c]);
            for (const auto& p : impl.keyParts) keyChanged |= p.column == c;
        }
        if (impl.indexed && keyChanged) {
            impl.index.erase(impl.index.begin() + impl.cur);
            impl.cur = impl.PlaceInIndex(rec);
        }
        modified_ = false;
    }
    bof_ = eof_ = false;
    SetState(dsBrowse);
    Notify(TDataEvent::DataSetChange);
}

void TClientDataSet::Cancel() {
    if (!Editing()) return;
    DiscardEdit();
    if (impl_->Count() == 0) bof_ = eof_ = true;
    SetState(dsBrowse);
    Notify(TDataEvent::DataSetChange);
}

void TClientDataSet::Delete() {
    CheckActive();
    if (state_ == dsInsert) {
        Cancel();
        return;
    }
    Impl& impl = *impl_;
    if (impl.Count() == 0) DatabaseError(Msg::EmptyDataSet);
    DiscardEdit();
    const int rec = impl.CurrentRec();
    const size_t pos = static_cast<size_t>(impl.natPos[rec]);
    impl.order.erase(impl.order.begin() + static_cast<std::ptrdiff_t>(pos));
    impl.natPos[rec] = -1;
    impl.Renumber(pos);
    if (impl.indexed) impl.index.erase(impl.index.begin() + impl.cur);
    if (impl.cur >= impl.Count()) impl.cur = impl.Count() - 1;
    bof_ = eof_ = impl.Count() == 0;
    SetState(dsBrowse);
    Notify(TDataEvent::DataSetChange);
}

void TClientDataSet::CheckBrowseMode() {
    CheckActive();
    if (Editing()) {
        if (modified_) {
            Post();
        } else {
            Cancel();
        }
    }
}

void TClientDataSet::First() {
    CheckBrowseMode();
    impl_->cur = impl_->Count() > 0 ? 0 : -1;
    bof_ = true;
    eof_ = impl_->Count() == 0;
    Notify(TDataEvent::Scroll);
}

void TClientDataSet::Last() {
    CheckBrowseMode();
    impl_->cur = impl_->Count() - 1;
    eof_ = true;
    bof_ = impl_->Count() == 0;
    Notify(TDataEvent::Scroll);
}

void TClientDataSet::Next() {
    MoveBy(1);
}

void TClientDataSet::Prior() {
    MoveBy(-1);
}

int TClientDataSet::MoveBy(int count) {
    CheckBrowseMode();
    if (count == 0 || (count > 0 && eof_) || (count < 0 && bof_)) return 0;
    Impl& impl = *impl_;
    bof_ = eof_ = false;
    int moved;
    if (count > 0) {
        const int room = impl.Count() - 1 - impl.cur;
        moved = std::min(count, room);
        if (moved < count) eof_ = true;
    } else {
        const int room = -impl.cur;
        moved = std::max(count, room);
        if (moved > count) bof_ = true;
    }
    if (impl.Count() == 0) {
        moved = 0;
        bof_ = eof_ = true;
    }
    impl.cur += moved;
    Notify(TDataEvent::Scroll);
    return moved;
}

int TClientDataSet::RecordCount() const {
    return Active() ? impl_->Count() : 0;
}

int TClientDataSet::RecNo() const {
    if (!Active()) return 0;
    if (state_ == dsInsert) return impl_->insertPos + 1;
    return impl_->cur + 1;
}

void TClientDataSet::SetRecNo(int recNo) {
    CheckBrowseMode();
    if (recNo < 1 || recNo > impl_->Count()) return;
    impl_->cur = recNo - 1;
    bof_ = eof_ = false;
    Notify(TDataEvent::Scroll);
}

// ---------------------------------------------------------------- indexes

void TClientDataSet::SelectIndex(const AnsiString& name) {
    Impl& impl = *impl_;
    const int rec = impl.CurrentRec();
    if (name.empty()) {
        impl.indexed = false;
        impl.index.clear();
        impl.index.shrink_to_fit();
        impl.keyParts.clear();
    } else {
        const int i = indexDefs_.IndexOf(name);
        if (i < 0) DatabaseError(FormatMessage(Msg::IndexNotFound, {AnsiToUtf8(name)}));
        const TIndexDef& def = indexDefs_.defs_[i];
        const auto& lists = indexDefs_.fieldLists_[i];
        const std::vector<AnsiString> descending = FieldList(*this, lists.first);
        const std::vector<AnsiString> caseInsensitive = FieldList(*this, lists.second);
        std::vector<KeyPart> parts;
        for (const auto& field : FieldList(*this, def.Fields)) {
            parts.push_back(KeyPart{
                FieldByName(field).Index(),
                def.Options.Contains(ixDescending) || ListContains(descending, field),
                def.Options.Contains(ixCaseInsensitive) || ListContains(caseInsensitive, field)});
        }
        if (parts.empty()) DatabaseError(FormatMessage(Msg::FieldNotFound, {""}));
        impl.index = impl.BuildIndex(parts);
        impl.keyParts = std::move(parts);
        impl.indexed = true;
    }
    // The current record stays current; an insertion keeps its place before
    // the record it goes before.
    impl.cur = rec >= 0 ? impl.FindInView(rec) : (impl.Count() > 0 ? 0 : -1);
    // In the new order the cursor stands on a record, at neither end.
    bof_ = eof_ = impl.Count() == 0;
    if (state_ == dsInsert) {
        impl.insertPos = impl.insertBefore >= 0 ? impl.FindInView(impl.insertBefore) : impl.Count();
    }
}

void TClientDataSet::AddIndex(const AnsiString& name, const AnsiString& fields,
                              TIndexOptions options, const AnsiString& descFields,
                              const AnsiString& caseInsFields, int /*groupingLevel*/) {
    CheckBrowseMode();
    if (indexDefs_.IndexOf(name) >= 0) {
        DatabaseError(FormatMessage(Msg::DuplicateIndexName, {AnsiToUtf8(name)}));
    }
    for (const AnsiString* list : {&fields, &descFields, &caseInsFields}) {
        for (const auto& field : FieldList(*this, *list)) FieldByName(field);
    }
    if (FieldList(*this, fields).empty()) {
        DatabaseError(FormatMessage(Msg::FieldNotFound, {AnsiToUtf8(fields)}));
    }
    indexDefs_.defs_.push_back(TIndexDef{name, fields, options});
    indexDefs_.fieldLists_.emplace_back(descFields, caseInsFields);
}

void TClientDataSet::DeleteIndex(const AnsiString& name) {
    CheckBrowseMode();
    const int i = indexDefs_.IndexOf(name);
    if (i < 0) DatabaseError(FormatMessage(Msg::IndexNotFound, {AnsiToUtf8(name)}));
    if (!indexName_.empty() && SameName(indexName_, name)) ReturnToNaturalOrder();
    indexDefs_.defs_.erase(indexDefs_.defs_.begin() + i);
    indexDefs_.fieldLists_.erase(indexDefs_.fieldLists_.begin() + i);
}

void TClientDataSet::SetIndexName(const AnsiString& name) {
    if (!Active()) {
        indexName_ = name;
        return;
    }
    CheckBrowseMode();
    if (name == indexName_) return;
    SelectIndex(name);
    indexName_ = name;
    Notify(TDataEvent::DataSetChange);
}

void TClientDataSet::ReturnToNaturalOrder() {
    SelectIndex("");
    indexName_.clear();
    Notify(TDataEvent::DataSetChange);
}

void TClientDataSet::IndexDefsCleared() {
    if (indexName_.empty()) return;
    if (Active()) {
        CheckBrowseMode();
        ReturnToNaturalOrder();
    } else {
        indexName_.clear();
    }
}

// ---------------------------------------------------------------- view access

int TClientDataSet::ViewCount() const {
    if (!Active()) return 0;
    return impl_->Count() + (state_ == dsInsert ? 1 : 0);
}

int TClientDataSet::ViewPosition() const {
    if (!Active()) return -1;
    return state_ == dsInsert ? impl_->insertPos : impl_->cur;
}

AnsiString TClientDataSet::ViewDisplayText(int viewPos, int fieldIndex) {
    CheckActive();
    TField& field = fields_[fieldIndex];
    CheckListIndex(viewPos, ViewCount());
    Impl& impl = *impl_;
    int mode = 1;
    int rec = -1;
    if (state_ == dsInsert) {
        if (viewPos == impl.insertPos) {
            mode = 2;
        } else {
            rec = impl.View()[viewPos < impl.insertPos ? viewPos : viewPos - 1];
        }
    } else if (state_ == dsEdit && viewPos == impl.cur) {
        mode = 2;
    } else {
        rec = impl.View()[viewPos];
    }
    struct Redirect {
        Impl& impl;
        int oldMode, oldRec;
        ~Redirect() {
            impl.redirect = oldMode;
            impl.redirectRec = oldRec;
        }
    } restore{impl, impl.redirect, impl.redirectRec};
    impl.redirect = mode;
    impl.redirectRec = rec;
    return field.DisplayText();
}

namespace {

// A stored record's value for the view readers.
ValueRef StoredValue(const TClientDataSet::Impl& impl, int viewPos, int fieldIndex) {
    CheckListIndex(viewPos, impl.Count());
    CheckListIndex(fieldIndex, static_cast<int>(impl.columns.size()));
    ValueRef ref;
    ref.column = &impl.columns[fieldIndex];
    ref.rec = impl.View()[viewPos];
    return ref;
}

}  // namespace

bool TClientDataSet::ViewIsNull(int viewPos, int fieldIndex) const {
    CheckActive();
    return StoredValue(*impl_, viewPos, fieldIndex).IsNull();
}

std::string_view TClientDataSet::ViewText(int viewPos, int fieldIndex) const {
    CheckActive();
    const ValueRef v = StoredValue(*impl_, viewPos, fieldIndex);
    const Kind kind = impl_->schema[fieldIndex].kind;
    if (kind == Kind::Text) return v.IsNull() ? std::string_view() : v.Text();
    impl_->textForm = TextForm(v, kind);
    return impl_->textForm;
}

double TClientDataSet::ViewFloat(int viewPos, int fieldIndex) const {
    CheckActive();
    return ReadFloat(StoredValue(*impl_, viewPos, fieldIndex), impl_->schema[fieldIndex].kind);
}

int64_t TClientDataSet::ViewInteger(int viewPos, int fieldIndex) const {
    CheckActive();
    return ReadInteger(StoredValue(*impl_, viewPos, fieldIndex), impl_->schema[fieldIndex].kind);
}

bool TClientDataSet::ViewBoolean(int viewPos, int fieldIndex) const {
    CheckActive();
    return ReadBoolean(StoredValue(*impl_, viewPos, fieldIndex), impl_->schema[fieldIndex].kind,
                       impl_->schema[fieldIndex].name);
}

// ---------------------------------------------------------------- bulk loading

TBulkLoader::TBulkLoader(TClientDataSet& dataset, size_t expectedRecords) : dataSet_(dataset) {
    dataSet_.CheckBrowseMode();
    TClientDataSet::Impl& impl = *dataSet_.impl_;
    const size_t total = static_cast<size_t>(impl.slots) + expectedRecords;
    for (auto& c : impl.columns) c.Reserve(total);
    impl.natPos.reserve(total);
    impl.order.reserve(impl.order.size() + expectedRecords);
}

TBulkLoader::~TBulkLoader() {
    if (finished_) return;
    try {
        Finish();
    } catch (...) {
        // Only bringing the index up to date or a listener can fail here: the
        // dataset returns to natural order, on the last record added.
        TClientDataSet::Impl& impl = *dataSet_.impl_;
        if (impl.indexed && impl.index.size() != impl.order.size()) {
            impl.indexed = false;
            impl.index.clear();
            impl.keyParts.clear();
            dataSet_.indexName_.clear();
            if (added_) impl.cur = impl.natPos[last_];
        }
    }
}

void TBulkLoader::ReserveText(int fieldIndex, size_t bytes) {
    TClientDataSet::Impl& impl = *dataSet_.impl_;
    CheckListIndex(fieldIndex, static_cast<int>(impl.columns.size()));
    ::Column& col = impl.columns[fieldIndex];
    if (col.kind == Kind::Text) col.arena.reserve(col.arena.size() + bytes);
}

void TBulkLoader::AddRecord() {
    TClientDataSet::Impl& impl = *dataSet_.impl_;
    last_ = impl.NewRecord();
    impl.natPos[last_] = static_cast<int32_t>(impl.order.size());
    impl.order.push_back(last_);
    added_ = true;
}

int TBulkLoader::Column(int fieldIndex) const {
    const TClientDataSet::Impl& impl = *dataSet_.impl_;
    CheckListIndex(fieldIndex, static_cast<int>(impl.columns.size()));
    if (!added_) dataSet_.DatabaseError(Msg::NotEditing);
    return fieldIndex;
}

namespace {

// A value of another kind than the column's: converted as the field's setter
// converts it, then stored (nothing changes when the conversion raises).
template <class Write>
void StoreThroughSlot(TClientDataSet::Impl& impl, int c, int rec, Write write) {
    Slot slot;
    impl.columns[c].Load(rec, slot);
    write(slot, impl.schema[c]);
    impl.columns[c].Store(rec, slot);
}

}  // namespace

void TBulkLoader::SetNull(int fieldIndex) {
    TClientDataSet::Impl& impl = *dataSet_.impl_;
    ::Column& col = impl.columns[Column(fieldIndex)];
    col.nulls[last_] = 1;
    Slot null;
    col.Store(last_, null);
}

void TBulkLoader::SetText(int fieldIndex, std::string_view text) {
    TClientDataSet::Impl& impl = *dataSet_.impl_;
    const int c = Column(fieldIndex);
    ::Column& col = impl.columns[c];
    if (col.kind != Kind::Text) {
        StoreThroughSlot(impl, c, last_,
                         [&](Slot& slot, const ColumnSchema& s) { WriteString(slot, s, text); });
        return;
    }
    const size_t size = static_cast<size_t>(std::max(impl.schema[c].size, 0));
    col.nulls[last_] = 0;
    col.StoreText(last_, text.substr(0, size));
}

void TBulkLoader::SetFloat(int fieldIndex, double value) {
    TClientDataSet::Impl& impl = *dataSet_.impl_;
    const int c = Column(fieldIndex);
    ::Column& col = impl.columns[c];
    if (col.kind != Kind::Float) {
        StoreThroughSlot(impl, c, last_,
                         [&](Slot& slot, const ColumnSchema& s) { WriteFloat(slot, s, value); });
        return;
    }
    col.nulls[last_] = 0;
    col.floats[last_] = value;
}

void TBulkLoader::SetBoolean(int fieldIndex, bool value) {
    TClientDataSet::Impl& impl = *dataSet_.impl_;
    const int c = Column(fieldIndex);
    ::Column& col = impl.columns[c];
    if (col.kind != Kind::Bool) {
        StoreThroughSlot(impl, c, last_,
                         [&](Slot& slot, const ColumnSchema& s) { WriteBoolean(slot, s, value); });
        return;
    }
    col.nulls[last_] = 0;
    col.bools[last_] = value ? 1 : 0;
}

void TBulkLoader::SetInteger(int fieldIndex, int64_t value) {
    TClientDataSet::Impl& impl = *dataSet_.impl_;
    const int c = Column(fieldIndex);
    ::Column& col = impl.columns[c];
    if (col.kind != Kind::Int) {
        StoreThroughSlot(impl, c, last_,
                         [&](Slot& slot, const ColumnSchema& s) { WriteInteger(slot, s, value); });
        return;
    }
    col.nulls[last_] = 0;
    col.ints[last_] = value;
}

void TBulkLoader::Finish() {
    if (finished_) return;
    finished_ = true;
    TClientDataSet& ds = dataSet_;
    TClientDataSet::Impl& impl = *ds.impl_;
    if (added_) {
        if (impl.indexed) {
            impl.index = impl.BuildIndex(impl.keyParts);
            impl.cur = impl.FindInView(last_);
        } else {
            impl.cur = impl.natPos[last_];
        }
        ds.bof_ = ds.eof_ = false;
        ds.modified_ = false;
    }
    ds.Notify(TDataEvent::DataSetChange);
}
