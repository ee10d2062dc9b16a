// The dataset itself: creation and opening, the record states (browse, edit,
// insert) with posting and deleting, navigation, the selected index, the
// change notices and the view access.

#include "platform/dataset/client_dataset.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "platform/core/exceptions.h"
#include "platform/core/number_text.h"
#include "platform/dataset/detail/collation.h"
#include "platform/dataset/detail/column_storage.h"
#include "platform/dataset/detail/field_lists.h"
#include "platform/dataset/detail/field_values.h"

using namespace dataset_detail;

namespace {

constexpr size_t kMaxFieldNameLength = 31;
constexpr int kMaxStringSize = 65530;  // a text length of 65531 or more is refused

constexpr const char* kTooManyRecords =
    "Die Datenmenge kann nicht mehr als %d Datensätze aufnehmen";

}  // namespace

// ---------------------------------------------------------------- dataset

TClientDataSet::TClientDataSet() : indexDefs_(*this), impl_(std::make_unique<Storage>()) {}

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
    listeners_.Emit(e);
}

void TClientDataSet::EnableControls() {
    if (disableCount_ == 0 || --disableCount_ > 0 || !changedWhileDisabled_) return;
    changedWhileDisabled_ = false;
    Notify(TDataEvent::DataSetChange);
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
    // The records of the old structure go at once: they would only be in
    // the way of the new ones, and no field could read them.
    impl_->Reset({});
    impl_->created = false;
}

void TClientDataSet::CheckRoomForRecord(int64_t stored) const {
    if (stored >= kMaxRecords) {
        DatabaseError(FormatMessage(kTooManyRecords, {IntToStr(kMaxRecords)}));
    }
}

void TClientDataSet::BeginInsert(bool append) {
    CheckActive();
    CheckBrowseMode();
    Storage& impl = *impl_;
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
    Storage& impl = *impl_;
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
    Storage& impl = *impl_;
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
    Storage& impl = *impl_;
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
    Storage& impl = *impl_;
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
    Storage& impl = *impl_;
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
        Storage& impl;
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
ValueRef StoredValue(const Storage& impl, int viewPos, int fieldIndex) {
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

TClientDataSet::TViewColumn TClientDataSet::ViewColumn(int fieldIndex) const {
    CheckActive();
    const Storage& impl = *impl_;
    CheckListIndex(fieldIndex, static_cast<int>(impl.columns.size()));
    const dataset_detail::Column& col = impl.columns[fieldIndex];
    TViewColumn v{};
    switch (col.kind) {
        case Kind::Int:
            v.kind = TViewColumn::TKind::Integer;
            break;
        case Kind::Float:
            v.kind = TViewColumn::TKind::Float;
            break;
        case Kind::Bool:
            v.kind = TViewColumn::TKind::Boolean;
            break;
        case Kind::Text:
            v.kind = TViewColumn::TKind::Text;
            break;
    }
    v.records = impl.View().data();
    v.nulls = col.nulls.data();
    v.integers = col.ints.data();
    v.floats = col.floats.data();
    v.booleans = col.bools.data();
    v.texts = col.arena.data();
    v.offsets = col.offsets.data();
    v.lengths = col.lengths.data();
    return v;
}
