#pragma once
// The in-memory client dataset: field definitions, fields, records, states,
// index definitions with the selected index, and change notifications.
//
// Records are stored by column (one array per column, texts in one byte arena
// per column, a null flag per value), so a table of a million records costs a
// few allocations, not millions. The view (natural order, or the order of the
// selected index) is an array of record numbers: the k-th record of the view
// is found in O(1).
//
// Order within an index: stable (records with equal keys keep their natural
// order, in both directions); nulls first in ascending order (last in
// descending); texts compared ignoring case and accents first (a, A, ä, Ä
// side by side), then case and accents, then bytes; truth values false before
// true; numbers by value.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/ansi.h"
#include "platform/dataset/field_types.h"

class TClientDataSet;
using TDataSet = TClientDataSet;  // one class serves both names
class TField;

// ---------------------------------------------------------------- definitions

class TFieldDefs;

class TFieldDef {
public:
    const AnsiString& Name() const { return name_; }
    // Raises EDatabaseError "Komponente mit der Bezeichnung %s existiert bereits"
    // when another definition of the same dataset has that name (compared without
    // regard to case; an empty name is never compared).
    void SetName(const AnsiString& name);
    TFieldType DataType() const { return dataType_; }
    // Resets Size to the type's default: 20 for ftString, 0 otherwise.
    void SetDataType(TFieldType type);
    int Size() const { return size_; }
    // A negative size raises EDatabaseError "Ungültige Feldgröße".
    void SetSize(int size);

private:
    friend class TFieldDefs;
    explicit TFieldDef(TFieldDefs& owner) : owner_(&owner) {}
    TFieldDefs* owner_;
    AnsiString name_;
    TFieldType dataType_ = ftUnknown;
    int size_ = 0;
};

class TFieldDefs {
public:
    int Count() const { return static_cast<int>(defs_.size()); }
    TFieldDef& operator[](int index);  // raises EListError out of range
    const TFieldDef& operator[](int index) const;
    TFieldDef& AddFieldDef();  // a new definition at the end, no name, ftUnknown
    void Clear();
    int IndexOf(std::string_view name) const;  // without regard to case; -1 when none

private:
    std::vector<std::unique_ptr<TFieldDef>> defs_;
};

// Index options as a set: {ixDescending}, {}.
class TIndexOptions {
public:
    TIndexOptions() = default;
    TIndexOptions(std::initializer_list<TIndexOption> list) {
        for (auto o : list) bits_ |= 1u << o;
    }
    bool Contains(TIndexOption o) const { return (bits_ & (1u << o)) != 0; }
    bool operator==(const TIndexOptions&) const = default;

private:
    uint32_t bits_ = 0;
};

struct TIndexDef {
    AnsiString Name;
    AnsiString Fields;  // field names separated by ";"
    TIndexOptions Options;
};

class TIndexDefs {
public:
    int Count() const { return static_cast<int>(defs_.size()); }
    const TIndexDef& operator[](int index) const;
    int IndexOf(std::string_view name) const;  // without regard to case; -1 when none
    // Adds a definition without building anything (the design-time definitions).
    void Add(TIndexDef def);
    // Empties the definitions; the dataset returns to natural order.
    void Clear();

private:
    friend class TClientDataSet;
    explicit TIndexDefs(TClientDataSet& owner) : owner_(owner) {}
    TClientDataSet& owner_;
    std::vector<TIndexDef> defs_;
};

// ---------------------------------------------------------------- fields

// (field, text, displayText): fills text, which comes in empty.
using TFieldGetTextEvent = std::function<void(TField& sender, AnsiString& text, bool displayText)>;
// (field, text): stores the typed text into the field.
using TFieldSetTextEvent = std::function<void(TField& sender, const AnsiString& text)>;

// A column of the current record. Reads give the current record's value (the
// edit buffer while a record is edited or inserted); writes need the dataset
// in edit or insert state (EDatabaseError otherwise).
class TField {
public:
    const AnsiString& FieldName() const { return name_; }
    TFieldType DataType() const { return dataType_; }
    int Size() const { return size_; }
    int Index() const { return index_; }
    TClientDataSet& DataSet() const { return *dataSet_; }

    bool IsNull() const;
    void Clear();  // makes the value null

    // The field's own text form: a text unchanged; an integer in decimal; a
    // number in the 15-digit form with the locale's decimal mark; a truth value
    // "Wahr"/"Falsch"; a null value of any kind the empty text.
    AnsiString AsString() const;
    // Text fields keep at most Size bytes and cut the rest. Integer fields take
    // an empty text as null and raise "'%s' ist kein gültiger Integerwert für
    // Feld '%s'" for other non-integers. Number fields convert with the
    // locale's mark (EConvertError on failure); truth fields take "Wahr"/"Falsch"
    // or "true"/"false" in any case (EConvertError otherwise).
    void SetAsString(std::string_view text);
    int64_t AsInteger() const;  // null reads 0
    void SetAsInteger(int64_t value);
    double AsFloat() const;  // null reads 0
    void SetAsFloat(double value);
    bool AsBoolean() const;  // null reads false
    void SetAsBoolean(bool value);

    // The text through the hooks: OnGetText when set, else AsString.
    AnsiString DisplayText() const;  // displayText = true
    AnsiString Text() const;         // displayText = false (the editor's text)
    // OnSetText when set, else SetAsString.
    void SetText(const AnsiString& text);

    TFieldGetTextEvent OnGetText;
    TFieldSetTextEvent OnSetText;

private:
    friend class TClientDataSet;
    TField(TClientDataSet& ds, int index, AnsiString name, TFieldType type, int size)
        : dataSet_(&ds), index_(index), name_(std::move(name)), dataType_(type), size_(size) {}
    TClientDataSet* dataSet_;
    int index_;
    AnsiString name_;
    TFieldType dataType_;
    int size_;
};

class TFields {
public:
    int Count() const { return static_cast<int>(fields_.size()); }
    // Raises EListError "Listenindex überschreitet das Maximum (%d)" out of range.
    TField& operator[](int index) const;

private:
    friend class TClientDataSet;
    std::vector<std::unique_ptr<TField>> fields_;
};

// ---------------------------------------------------------------- dataset

enum class TDataEvent {
    StateChange,     // State() changed
    DataSetChange,   // records, order, structure or open state changed: redraw all
    RecordChange,    // a value of the current record changed
    Scroll,          // the current record moved
};

class TClientDataSet {
public:
    TClientDataSet();
    ~TClientDataSet();
    TClientDataSet(const TClientDataSet&) = delete;
    TClientDataSet& operator=(const TClientDataSet&) = delete;

    const AnsiString& Name() const { return name_; }
    void SetName(AnsiString name) { name_ = std::move(name); }

    TFieldDefs& FieldDefs() { return fieldDefs_; }
    TIndexDefs& IndexDefs() { return indexDefs_; }
    TFields& Fields() { return fields_; }
    // Raises EDatabaseError "<name>: Feld '%s' nicht gefunden".
    TField& FieldByName(std::string_view name);
    TField* FindField(std::string_view name);  // nullptr when none

    // Refuses, in this order: a definition name of 32 characters or more
    // ("Feldname %s überschreitet %d Zeichen", 31); no definitions ("Es wurden
    // keine Felder definiert.  Datenmenge kann nicht erzeugt werden"); a text
    // length of 0 ("Invalid parameter.") or of 65531 or more ("Invalid field
    // type."); an empty name ("<name>: Feldname fehlt"). Otherwise drops all
    // records, builds the storage from the definitions and opens the dataset.
    void CreateDataSet();

    bool Active() const { return state_ != dsInactive; }
    TDataSetState State() const { return state_; }
    // Nothing when already open. Makes new field objects. Raises EDatabaseError
    // "<name>: Fehlender Datenprovider oder Datenpaket" when never created.
    void Open();
    // Nothing when already closed; a record being inserted is discarded and an
    // edit cancelled. Keeps the definitions and the records.
    void Close();

    void Append();  // ends a pending edit, then a new null record at the end, dsInsert
    void Insert();  // ends a pending edit, then a new null record before the current one
    void Edit();    // dsEdit on the current record (an empty dataset appends instead)
    void Post();    // stores the record being edited or inserted; raises when browsing
    void Cancel();  // abandons the edit or insertion
    void Delete();  // deletes the current record (raises on an empty dataset)
    // Ends an edit in progress: posts a changed record, cancels an unchanged one.
    // Raises the closed-dataset error when not open.
    void CheckBrowseMode();
    bool Modified() const { return modified_; }

    void First();
    void Last();
    void Next();
    void Prior();
    // Moves by count records in the view (negative: backwards); returns the number moved.
    int MoveBy(int count);
    bool Eof() const { return eof_; }
    bool Bof() const { return bof_; }
    bool IsEmpty() const { return RecordCount() == 0; }
    int RecordCount() const;  // records in the view (an inserted, unposted one not counted)
    // 1-based position of the current record in the view; 0 when none (or when
    // the current record is an inserted one not yet posted... it counts at its place).
    int RecNo() const;
    void SetRecNo(int recNo);

    // Indexes. AddIndex first ends an edit in progress; the fields must exist.
    // The index is not selected. DeleteIndex first ends an edit in progress,
    // returns to natural order when it is the selected one, then removes it;
    // raises "<name>: Index '%s' nicht gefunden" when there is none.
    void AddIndex(const AnsiString& name, const AnsiString& fields, TIndexOptions options,
                  const AnsiString& descFields = "", const AnsiString& caseInsFields = "",
                  int groupingLevel = 0);
    void DeleteIndex(const AnsiString& name);
    const AnsiString& IndexName() const { return indexName_; }
    // Empty selects natural order. When open, ends an edit in progress first.
    // Writing the name already set changes nothing.
    void SetIndexName(const AnsiString& name);

    // Direct access to the k-th record of the view (0-based), for data-aware
    // controls that draw only the rows they show: the text of field j of view
    // record k through the field's hooks, without moving the cursor. While a
    // record is inserted, view positions include it at its place.
    int ViewCount() const;  // RecordCount plus an inserted, unposted record
    int ViewPosition() const;  // 0-based view position of the current record; -1 when none
    AnsiString ViewDisplayText(int viewPos, int fieldIndex);

    // Change notifications for data-aware controls; returns an id for RemoveListener.
    using Listener = std::function<void(TDataEvent)>;
    int AddListener(Listener listener);
    void RemoveListener(int id);

    struct Impl;  // storage and view, defined in client_dataset.cpp

private:
    friend class TField;
    friend class TIndexDefs;
    void Notify(TDataEvent e);

    AnsiString name_;
    TFieldDefs fieldDefs_;
    TIndexDefs indexDefs_;
    TFields fields_;
    TDataSetState state_ = dsInactive;
    bool modified_ = false;
    bool eof_ = true;
    bool bof_ = true;
    AnsiString indexName_;
    std::unique_ptr<Impl> impl_;
    std::vector<std::pair<int, Listener>> listeners_;
    int nextListenerId_ = 1;
};
