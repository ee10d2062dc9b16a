// Field definitions with their set of names, index definitions and the
// field lists of an index.

#include <memory>
#include <utility>

#include "platform/core/exceptions.h"
#include "platform/dataset/client_dataset.h"
#include "platform/dataset/detail/collation.h"
#include "platform/dataset/detail/field_lists.h"

using namespace dataset_detail;

namespace {

constexpr int kDefaultStringSize = 20;

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

}  // namespace

namespace dataset_detail {

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
}  // namespace dataset_detail

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
