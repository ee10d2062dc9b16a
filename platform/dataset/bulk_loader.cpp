// Filling a dataset straight into its columns (see TBulkLoader).

#include <algorithm>

#include "platform/core/exceptions.h"
#include "platform/dataset/client_dataset.h"
#include "platform/dataset/detail/column_storage.h"
#include "platform/dataset/detail/field_values.h"

using namespace dataset_detail;

TBulkLoader::TBulkLoader(TClientDataSet& dataset, size_t expectedRecords) : dataSet_(dataset) {
    dataSet_.CheckBrowseMode();
    Storage& impl = *dataSet_.impl_;
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
        Storage& impl = *dataSet_.impl_;
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
    Storage& impl = *dataSet_.impl_;
    CheckListIndex(fieldIndex, static_cast<int>(impl.columns.size()));
    dataset_detail::Column& col = impl.columns[fieldIndex];
    if (col.kind == Kind::Text) col.arena.reserve(col.arena.size() + bytes);
}

void TBulkLoader::AddRecord() {
    Storage& impl = *dataSet_.impl_;
    last_ = impl.NewRecord();
    impl.natPos[last_] = static_cast<int32_t>(impl.order.size());
    impl.order.push_back(last_);
    added_ = true;
}

int TBulkLoader::Column(int fieldIndex) const {
    const Storage& impl = *dataSet_.impl_;
    CheckListIndex(fieldIndex, static_cast<int>(impl.columns.size()));
    if (!added_) dataSet_.DatabaseError(Msg::NotEditing);
    return fieldIndex;
}

namespace {

// A value of another kind than the column's: converted as the field's setter
// converts it, then stored (nothing changes when the conversion raises).
template <class Write>
void StoreThroughSlot(Storage& impl, int c, int rec, Write write) {
    Slot slot;
    impl.columns[c].Load(rec, slot);
    write(slot, impl.schema[c]);
    impl.columns[c].Store(rec, slot);
}

}  // namespace

void TBulkLoader::SetNull(int fieldIndex) {
    Storage& impl = *dataSet_.impl_;
    dataset_detail::Column& col = impl.columns[Column(fieldIndex)];
    col.nulls[last_] = 1;
    Slot null;
    col.Store(last_, null);
}

void TBulkLoader::SetText(int fieldIndex, std::string_view text) {
    Storage& impl = *dataSet_.impl_;
    const int c = Column(fieldIndex);
    dataset_detail::Column& col = impl.columns[c];
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
    Storage& impl = *dataSet_.impl_;
    const int c = Column(fieldIndex);
    dataset_detail::Column& col = impl.columns[c];
    if (col.kind != Kind::Float) {
        StoreThroughSlot(impl, c, last_,
                         [&](Slot& slot, const ColumnSchema& s) { WriteFloat(slot, s, value); });
        return;
    }
    col.nulls[last_] = 0;
    col.floats[last_] = value;
}

void TBulkLoader::SetBoolean(int fieldIndex, bool value) {
    Storage& impl = *dataSet_.impl_;
    const int c = Column(fieldIndex);
    dataset_detail::Column& col = impl.columns[c];
    if (col.kind != Kind::Bool) {
        StoreThroughSlot(impl, c, last_,
                         [&](Slot& slot, const ColumnSchema& s) { WriteBoolean(slot, s, value); });
        return;
    }
    col.nulls[last_] = 0;
    col.bools[last_] = value ? 1 : 0;
}

void TBulkLoader::SetInteger(int fieldIndex, int64_t value) {
    Storage& impl = *dataSet_.impl_;
    const int c = Column(fieldIndex);
    dataset_detail::Column& col = impl.columns[c];
    if (col.kind != Kind::Int) {
        StoreThroughSlot(impl, c, last_,
                         [&](Slot& slot, const ColumnSchema& s) { WriteInteger(slot, s, value); });
        return;
    }
    col.nulls[last_] = 0;
    col.ints[last_] = value;
}

bool TBulkLoader::Keeps(int fieldIndex, TFieldType type) const {
    const Storage& impl = *dataSet_.impl_;
    if (fieldIndex < 0 || fieldIndex >= static_cast<int>(impl.columns.size())) return false;
    Kind kind;
    return KindOf(type, kind) && impl.columns[fieldIndex].kind == kind;
}

void TBulkLoader::PutText(int fieldIndex, std::string_view text) {
    Storage& impl = *dataSet_.impl_;
    dataset_detail::Column& col = impl.columns[fieldIndex];
    const size_t size = static_cast<size_t>(std::max(impl.schema[fieldIndex].size, 0));
    col.nulls[last_] = 0;
    col.StoreText(last_, text.substr(0, size));
}

void TBulkLoader::PutFloat(int fieldIndex, double value) {
    dataset_detail::Column& col = dataSet_.impl_->columns[fieldIndex];
    col.nulls[last_] = 0;
    col.floats[last_] = value;
}

void TBulkLoader::PutBoolean(int fieldIndex, bool value) {
    dataset_detail::Column& col = dataSet_.impl_->columns[fieldIndex];
    col.nulls[last_] = 0;
    col.bools[last_] = value ? 1 : 0;
}

void TBulkLoader::TakeColumns(std::vector<TColumnValues>& columns, size_t records) {
    Storage& impl = *dataSet_.impl_;
    const auto fail = [&] { dataSet_.DatabaseError(Msg::InvalidParameter); };
    if (added_ || impl.slots != 0 || columns.size() != impl.columns.size()) fail();
    if (records > static_cast<size_t>(TClientDataSet::kMaxRecords)) fail();
    for (size_t c = 0; c < columns.size(); ++c) {
        const TColumnValues& v = columns[c];
        if (v.nulls.size() != records) fail();
        switch (impl.columns[c].kind) {
            case Kind::Float:
                if (v.floats.size() != records) fail();
                break;
            case Kind::Bool:
                if (v.bools.size() != records) fail();
                break;
            case Kind::Text:
                if (v.offsets.size() != records || v.lengths.size() != records) fail();
                for (size_t r = 0; r < records; ++r) {
                    if (v.offsets[r] > v.texts.size() ||
                        v.lengths[r] > v.texts.size() - v.offsets[r])
                        fail();
                }
                break;
            default:
                fail();
        }
    }
    if (records == 0) return;
    // Both orders first: nothing below raises.
    LargeVector<int32_t> order(records);
    LargeVector<int32_t> natPos(records);
    for (size_t r = 0; r < records; ++r) order[r] = natPos[r] = static_cast<int32_t>(r);
    impl.order = std::move(order);
    impl.natPos = std::move(natPos);
    for (size_t c = 0; c < columns.size(); ++c) {
        TColumnValues& v = columns[c];
        dataset_detail::Column& col = impl.columns[c];
        col.nulls = std::move(v.nulls);
        switch (col.kind) {
            case Kind::Float:
                col.floats = std::move(v.floats);
                break;
            case Kind::Bool:
                col.bools = std::move(v.bools);
                break;
            default: {
                col.arena = std::move(v.texts);
                col.offsets = std::move(v.offsets);
                col.lengths = std::move(v.lengths);
                const auto size = static_cast<uint32_t>(std::max(impl.schema[c].size, 0));
                for (uint32_t& length : col.lengths) length = std::min(length, size);
                break;
            }
        }
    }
    impl.slots = static_cast<int>(records);
    last_ = impl.slots - 1;
    added_ = true;
}

void TBulkLoader::Finish() {
    if (finished_) return;
    finished_ = true;
    TClientDataSet& ds = dataSet_;
    Storage& impl = *ds.impl_;
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
