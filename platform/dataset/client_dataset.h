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
// descending: a descending field is the exact reverse of the ascending
// comparison, while ties still keep natural order); texts compared ignoring
// case and accents first (a, A, ä, Ä side by side; Windows-1252 letters fold to
// their base letter, ß to s, æ to a, œ to o), then ignoring case only, then by
// bytes; truth values false before true; numbers by value. Punctuation sorts
// before digits, digits before letters. A field named in the case-insensitive
// list (or every field with ixCaseInsensitive) stops after the second level.
//
// While an index is selected, a posted record (new or edited) moves to its
// sorted place at once and stays current there. Only the selected index is
// kept in order; the others are built when they are selected.
//
// Natural order: Append adds at the end; a record inserted with Insert is
// placed before the record that was current when Insert was called (at the end
// when there was none), also when an index is selected.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/core/ansi.h"
#include "platform/core/large_memory.h"
#include "platform/core/subscription.h"
#include "platform/dataset/field_types.h"

class TClientDataSet;
using TDataSet = TClientDataSet;  // one class serves both names
class TField;

namespace dataset_detail {
struct Storage;  // the records, the view and the edit buffer (detail/column_storage.h)
}

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
    friend class TFieldDef;
    // The names in use, folded to one letter case, each with the definition
    // that carries it; empty names are not kept. Lets a new name be checked
    // against every other without comparing them one by one. Whatever removes
    // a definition calls ForgetName for it first.
    void ReplaceName(TFieldDef& def, const AnsiString& name);
    void ForgetName(const TFieldDef& def);
    std::vector<std::unique_ptr<TFieldDef>> defs_;
    std::unordered_map<std::string, const TFieldDef*> names_;
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
    // A name that is already defined raises "<name>: Doppelter Indexname '%s'".
    void Add(TIndexDef def);
    // Empties the definitions; the dataset returns to natural order (an edit
    // in progress is ended first when the dataset is open).
    void Clear();

  private:
    friend class TClientDataSet;
    explicit TIndexDefs(TClientDataSet& owner) : owner_(owner) {}
    TClientDataSet& owner_;
    std::vector<TIndexDef> defs_;
    // Per definition: the descending-field and case-insensitive-field lists.
    std::vector<std::pair<AnsiString, AnsiString>> fieldLists_;
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
    // Text fields keep at most Size bytes and cut the rest (an empty text is an
    // empty value, not null). Integer fields take an empty text as null and
    // raise "'%s' ist kein gültiger Integerwert für Feld '%s'" for other
    // non-integers. Number fields take an empty text as null and convert with
    // the locale's mark (EConvertError on failure); truth fields take an empty
    // text as null and "Wahr"/"Falsch" or "true"/"false" in any case
    // (EConvertError otherwise).
    void SetAsString(std::string_view text);
    // Typed access across kinds: a text field reads its text converted
    // (EConvertError when it does not convert) and stores the value's text form
    // cut to Size; a number reads as integer rounded to the nearest; a truth
    // value reads as 1 or 0 and stores any non-zero number as true.
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
    // Every write goes through here (defined beside the writers).
    template <class Write>
    void WriteValue(Write write);
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
    StateChange,    // State() changed
    DataSetChange,  // records, order, structure or open state changed: redraw all
    RecordChange,   // a value of the current record changed
    Scroll,         // the current record moved
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
    // Gives up the table's structure before a new one is defined: closes the
    // dataset, clears its field definitions, selects natural order, clears
    // its index definitions and gives up its records. Until the next
    // CreateDataSet, Open raises as for a dataset never created.
    void ResetStructure();

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
    // Moves by count records in the view (negative: backwards); returns the
    // number moved (negative when backwards). Moving past either end sets Eof
    // or Bof and stays on the last or first record; nothing moves when the
    // flag of that direction is already set. First sets Bof, Last sets Eof;
    // on an empty dataset both are set.
    int MoveBy(int count);
    bool Eof() const { return eof_; }
    bool Bof() const { return bof_; }
    bool IsEmpty() const { return RecordCount() == 0; }
    // Records in the view (an inserted, unposted one not counted); 0 when closed.
    int RecordCount() const;
    // 1-based position of the current record in the view; 0 when none. A
    // record being inserted counts at the place where it is shown.
    int RecNo() const;
    void SetRecNo(int recNo);  // a position outside 1..RecordCount is ignored

    // The most records one creation of the dataset stores (deleted ones
    // included): counts and positions are ints, with room for the record
    // being inserted.
    static constexpr int64_t kMaxRecords = 2147483647 - 1;
    // Raises EDatabaseError "Die Datenmenge kann nicht mehr als %d Datensätze
    // aufnehmen" unless one more record fits beside stored ones. Append and
    // Insert check it before they begin a record.
    void CheckRoomForRecord(int64_t stored) const;

    // Indexes. AddIndex first ends an edit in progress (the closed-dataset
    // error when closed); the fields must exist ("<name>: Feld '%s' nicht
    // gefunden") and the name must be new ("<name>: Doppelter Indexname '%s'").
    // A field list that names a field as a whole (a name may hold ";" or
    // blanks at its ends) is that field; any other is separated by ";" with
    // blanks trimmed; descFields names
    // fields sorted descending, caseInsFields fields compared without regard to
    // case; the grouping level is not used. The index is not selected (it is
    // built when it is selected). DeleteIndex first ends an edit in progress,
    // returns to natural order when it is the selected one, then removes it;
    // raises "<name>: Index '%s' nicht gefunden" when there is none.
    void AddIndex(const AnsiString& name, const AnsiString& fields, TIndexOptions options,
                  const AnsiString& descFields = "", const AnsiString& caseInsFields = "",
                  int groupingLevel = 0);
    void DeleteIndex(const AnsiString& name);
    const AnsiString& IndexName() const { return indexName_; }
    // Empty selects natural order. When open, ends an edit in progress first;
    // an unknown name raises "<name>: Index '%s' nicht gefunden". Writing the
    // name already set changes nothing. When closed the name is only stored;
    // Open selects it (and raises when it is unknown then). CreateDataSet keeps
    // the name when the new structure can carry its index, else clears it.
    void SetIndexName(const AnsiString& name);

    // Direct access to the k-th record of the view (0-based), for data-aware
    // controls that draw only the rows they show: the text of field j of view
    // record k through the field's hooks, without moving the cursor. While a
    // record is inserted, view positions include it at its place.
    int ViewCount() const;     // RecordCount plus an inserted, unposted record
    int ViewPosition() const;  // 0-based view position of the current record; -1 when none
    AnsiString ViewDisplayText(int viewPos, int fieldIndex);

    // Stored values by view position, for a writer that walks every record:
    // no cursor move, no hooks, no copy. viewPos counts the records of the
    // view, 0 to RecordCount() - 1 (a record being inserted is not among
    // them, and a record being edited reads its stored values: end an edit
    // first, as First does); a position or field index out of range raises
    // EListError, a closed dataset the closed-dataset error. Each read works
    // like the field's own reader on a stored record: ViewIsNull like IsNull;
    // ViewFloat, ViewInteger and ViewBoolean like AsFloat, AsInteger and
    // AsBoolean (null reads 0 or false, a text column converts its text and
    // raises when it does not convert). ViewText of a text column is its
    // bytes in the column's storage, valid until the dataset changes; of any
    // other column the AsString form, valid until the next ViewText.
    bool ViewIsNull(int viewPos, int fieldIndex) const;
    std::string_view ViewText(int viewPos, int fieldIndex) const;
    double ViewFloat(int viewPos, int fieldIndex) const;
    int64_t ViewInteger(int viewPos, int fieldIndex) const;
    bool ViewBoolean(int viewPos, int fieldIndex) const;

    // The stored values of one column by view position, read without a call
    // per value: what the View readers above give for a column whose kind
    // matches the read (IsNull, and Text, Float, Integer or Boolean of a
    // column kept as texts, floats, integers or truth values). Checked once
    // when taken (the closed-dataset error, EListError for the field index);
    // the positions are not checked. Valid until the dataset changes.
    struct TViewColumn {
        enum class TKind : uint8_t { Integer, Float, Boolean, Text };
        TKind kind;
        const int32_t* records;  // record number by view position
        const uint8_t* nulls;
        const int64_t* integers;
        const double* floats;
        const uint8_t* booleans;
        const char* texts;
        const uint64_t* offsets;
        const uint32_t* lengths;

        bool IsNull(int viewPos) const { return nulls[records[viewPos]] != 0; }
        std::string_view Text(int viewPos) const {
            const int32_t r = records[viewPos];
            return std::string_view(texts + offsets[r], lengths[r]);
        }
        double Float(int viewPos) const { return floats[records[viewPos]]; }
        int64_t Integer(int viewPos) const { return integers[records[viewPos]]; }
        bool Boolean(int viewPos) const { return booleans[records[viewPos]] != 0; }
    };
    TViewColumn ViewColumn(int fieldIndex) const;

    // Change notifications for data-aware controls: the listener is told
    // until the returned subscription goes (see platform/core/subscription.h).
    using Listener = std::function<void(TDataEvent)>;
    TSubscription AddListener(Listener listener) {
        return listeners_.Subscribe(std::move(listener));
    }
    // While controls are disabled (calls nest) no notification goes out, so a
    // walk over every record costs the controls nothing; enabling them again
    // sends one DataSetChange when anything happened meanwhile.
    void DisableControls() { ++disableCount_; }
    void EnableControls();
    bool ControlsDisabled() const { return disableCount_ > 0; }

  private:
    friend class TField;
    friend class TIndexDefs;
    friend class TBulkLoader;
    void Notify(TDataEvent e);
    [[noreturn]] void DatabaseError(const std::string& message) const;
    void CheckActive() const;
    bool Editing() const { return state_ == dsEdit || state_ == dsInsert; }
    void CheckEditing() const;  // the not-editing error unless a record is edited or inserted
    void SetState(TDataSetState state);
    void MakeFields();
    void BeginInsert(bool append);
    void DiscardEdit();
    // Selects the index of that name ("" = natural order) keeping the current
    // record current; raises when the index or one of its fields is unknown.
    void SelectIndex(const AnsiString& name);
    void ReturnToNaturalOrder();  // drops the selected index and tells the listeners
    void IndexDefsCleared();

    AnsiString name_;
    TFieldDefs fieldDefs_;
    TIndexDefs indexDefs_;
    TFields fields_;
    TDataSetState state_ = dsInactive;
    bool modified_ = false;
    bool eof_ = true;
    bool bof_ = true;
    AnsiString indexName_;
    std::unique_ptr<dataset_detail::Storage> impl_;
    TSignal<TDataEvent> listeners_;
    int disableCount_ = 0;
    bool changedWhileDisabled_ = false;
};

// The values of one column built outside a dataset, for
// TBulkLoader::TakeColumns: one entry per record in nulls and in the arrays
// of the column's kind.
struct TColumnValues {
    LargeVector<uint8_t> nulls;     // 1 where the value is null
    LargeVector<double> floats;     // ftFloat: the values (0 where null)
    LargeVector<uint8_t> bools;     // ftBoolean: 1 for true (0 where null)
    LargeString texts;              // ftString: the texts, one after another
    LargeVector<uint64_t> offsets;  // ftString: where each record's text begins
    LargeVector<uint32_t> lengths;  // ftString: its length (0 where null)
};

// Fills an open dataset straight into its column storage, for a reader that
// appends many records at once: none of Append, the field setters and Post,
// no edit buffer, no notice per value; one DataSetChange when done.
//
//   dataset.CreateDataSet();                 // open, no records, browsing
//   TBulkLoader loader(dataset, records);    // room for that many records
//   for each record line:
//       loader.AddRecord();                  // every value null
//       loader.SetText(0, text);             // field 0 of that record
//       loader.SetFloat(1, number);          // (a null value is left alone)
//   loader.Finish();
//
// The dataset ends as if every record had been appended with Append, given
// its values with the field setters and posted: the records follow the ones
// it had, in the order added; the current record is the last one added (at
// its sorted place when an index is selected), Bof and Eof are false, the
// state is browsing and Modified false. Adding no record changes nothing but
// the one notice.
//
// Each setter stores into the record added last exactly what the field's
// setter of that name would store: SetText like SetAsString (a text column
// keeps at most Size bytes and cuts the rest; another column converts the
// text and raises EConvertError as SetAsString does, leaving the value as it
// was), SetFloat like SetAsFloat, SetBoolean like SetAsBoolean, SetInteger
// like SetAsInteger, SetNull like Clear. Values of the column's own kind
// (text for ftString, double for ftFloat, bool for ftBoolean, an integer for
// the integer kinds) go straight into the column. A field index out of range
// raises EListError; a setter before the first AddRecord raises the
// not-editing error. Setting a value twice keeps the second.
//
// Nothing else may use the dataset between the constructor and Finish (no
// listener is told before Finish). The destructor finishes an unfinished load
// and never raises, so records added before an exception stay as added.
class TBulkLoader {
  public:
    // Ends an edit in progress first (the closed-dataset error when closed)
    // and reserves room for expectedRecords more records.
    explicit TBulkLoader(TClientDataSet& dataset, size_t expectedRecords = 0);
    ~TBulkLoader();
    TBulkLoader(const TBulkLoader&) = delete;
    TBulkLoader& operator=(const TBulkLoader&) = delete;

    // Reserves bytes more room for the texts of a text column (nothing for others).
    void ReserveText(int fieldIndex, size_t bytes);

    void AddRecord();
    void SetNull(int fieldIndex);
    void SetText(int fieldIndex, std::string_view text);
    void SetFloat(int fieldIndex, double value);
    void SetBoolean(int fieldIndex, bool value);
    void SetInteger(int fieldIndex, int64_t value);

    // The setters without their checks, for a reader that stores value after
    // value: it has added a record, keeps fieldIndex in range and has asked
    // Keeps that the column holds values of that kind (a text column for
    // PutText, a float column for PutFloat, a truth value column for
    // PutBoolean). They store what the setters above store for such a column.
    bool Keeps(int fieldIndex, TFieldType type) const;  // false for an index out of range
    void PutText(int fieldIndex, std::string_view text);
    void PutFloat(int fieldIndex, double value);
    void PutBoolean(int fieldIndex, bool value);

    // Adds records records at once, their values taken over from columns
    // (one entry per field, in field order; the arrays are moved out). What
    // the setters above would have stored, record by record: a text longer
    // than its field's Size is cut. Only into a dataset that holds no record
    // and before any AddRecord; columns of the field kinds ftString, ftFloat
    // and ftBoolean only, their arrays as long as records and every text
    // within texts. Otherwise raises EDatabaseError "Invalid parameter." and
    // changes nothing.
    void TakeColumns(std::vector<TColumnValues>& columns, size_t records);

    // Places the cursor, brings a selected index up to date and sends the
    // one DataSetChange. Once only; later calls do nothing.
    void Finish();

  private:
    int Column(int fieldIndex) const;  // checks the index and that a record was added
    TClientDataSet& dataSet_;
    int last_ = -1;  // the record added last
    bool added_ = false;
    bool finished_ = false;
};
