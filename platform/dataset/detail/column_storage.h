#pragma once
// The column storage of the client dataset, shared by its parts: one array
// per column (texts in one byte arena per column, a null flag per value), the
// natural order and the selected index as arrays of record numbers, and the
// edit buffer. Internal to platform/dataset.

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/ansi.h"
#include "platform/core/large_memory.h"
#include "platform/dataset/detail/collation.h"
#include "platform/dataset/field_types.h"

namespace dataset_detail {

// How a column keeps its values.
enum class Kind : uint8_t { Int, Float, Bool, Text };

inline bool KindOf(TFieldType type, Kind& kind) {
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

// An unsigned number that orders like the double (zero's sign ignored).
inline uint64_t FloatOrderBits(double d) {
    if (d == 0) d = 0;
    const uint64_t bits = std::bit_cast<uint64_t>(d);
    return (bits & (1ull << 63)) ? ~bits : bits | (1ull << 63);
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
    LargeVector<uint8_t> nulls;
    LargeVector<int64_t> ints;
    LargeVector<double> floats;
    LargeVector<uint8_t> bools;
    LargeString arena;  // every text of the column, one after another
    LargeVector<uint64_t> offsets;
    LargeVector<uint32_t> lengths;

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

// The records of an open (or closed, once created) dataset: the columns, the
// natural order, the selected index, the cursor and the edit buffer.
struct Storage {
    bool created = false;
    std::vector<ColumnSchema> schema;
    std::vector<Column> columns;
    int slots = 0;  // records ever stored; deleted ones stay unused

    LargeVector<int32_t> order;   // natural order: record numbers
    LargeVector<int32_t> natPos;  // by record number: position in order (-1 deleted)

    bool indexed = false;
    std::vector<KeyPart> keyParts;
    LargeVector<int32_t> index;  // the selected index: record numbers in its order

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

    const LargeVector<int32_t>& View() const { return indexed ? index : order; }

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

    // The view position of rec; -1 when it is not in the view.
    int FindInView(int rec) const;
    // Empties the storage and gives it the columns of newSchema.
    void Reset(std::vector<ColumnSchema> newSchema);

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

    // Gives the records of order from position from on their positions in natPos.
    void Renumber(size_t from);

    // Compares records a and b by the key parts from from on.
    int CompareRecords(const std::vector<KeyPart>& parts, int a, int b, size_t from = 0) const;
    // The records of the natural order sorted by parts: stable, so records
    // with equal keys keep their natural order.
    LargeVector<int32_t> BuildIndex(const std::vector<KeyPart>& parts) const;
    // Puts rec into the selected index at its sorted place; returns that place.
    int PlaceInIndex(int rec);

  private:
    // Orders records [begin, end) (in natural order, with equal sort keys of
    // the first key part) by the full comparison, stable.
    template <class It>
    void TieBreak(const std::vector<KeyPart>& parts, It begin, It end) const;
    // The same for texts whose primary weights are all equal.
    template <class It>
    void CollateRun(const std::vector<KeyPart>& parts, It begin, It end) const;
};

}  // namespace dataset_detail
