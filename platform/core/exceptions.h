#pragma once
// The platform's exception classes and every message text the program shows.
// Messages are UTF-8; text from tables is converted with AnsiToUtf8 before it
// is put into a message.

#include <exception>
#include <initializer_list>
#include <string>
#include <string_view>

class Exception : public std::exception {
  public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const std::string& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }

  private:
    std::string message_;
};

class EConvertError : public Exception {
    using Exception::Exception;
};
class EDatabaseError : public Exception {
    using Exception::Exception;
};
class EListError : public Exception {
    using Exception::Exception;
};
class EInOutError : public Exception {
    using Exception::Exception;
};
class EFOpenError : public EInOutError {
    using EInOutError::EInOutError;
};
class EFCreateError : public EInOutError {
    using EInOutError::EInOutError;
};
class EWriteError : public EInOutError {
    using EInOutError::EInOutError;
};
class EInvalidOperation : public Exception {
    using Exception::Exception;
};

// Fills %s and %d placeholders in order with the given texts (numbers are
// passed already as text). "%%" stands for one "%".
std::string FormatMessage(std::string_view pattern, std::initializer_list<std::string_view> args);

// Raises EListError "Listenindex überschreitet das Maximum (%d)" for index.
[[noreturn]] void RaiseListIndexError(int index);
// Raises that error unless 0 <= index < count.
inline void CheckListIndex(int index, int count) {
    if (index < 0 || index >= count) RaiseListIndexError(index);
}

// Message texts, exactly as the system shows them (UTF-8).
namespace Msg {
// Platform: conversions and files
inline constexpr const char* InvalidInteger = "'%s' ist kein gültiger Integerwert";
inline constexpr const char* InvalidFloat = "'%s' ist kein gültiger Gleitkommawert";
inline constexpr const char* FOpenError = "Datei %s kann nicht geöffnet werden. %s";
inline constexpr const char* FCreateError = "Datei %s kann nicht erstellt werden. %s";
inline constexpr const char* WriteError = "Stream-Schreibfehler";
// The reason given for a device, FIFO or socket where a file is wanted.
inline constexpr const char* NotRegularFile = "Keine reguläre Datei";
inline constexpr const char* ListIndexError = "Listenindex überschreitet das Maximum (%d)";
inline constexpr const char* UnknownException = "Unbekannte Exception";
// Dataset layer
inline constexpr const char* DuplicateName = "Komponente mit der Bezeichnung %s existiert bereits";
inline constexpr const char* InvalidFieldSize = "Ungültige Feldgröße";
inline constexpr const char* FieldNameTooLong = "Feldname %s überschreitet %d Zeichen";
inline constexpr const char* NoFieldsDefined =
    "Es wurden keine Felder definiert.  Datenmenge kann nicht erzeugt werden";
inline constexpr const char* InvalidParameter = "Invalid parameter.";
inline constexpr const char* InvalidFieldType = "Invalid field type.";
inline constexpr const char* FieldNameMissing = "Feldname fehlt";  // after "<dataset>: "
inline constexpr const char* FieldInvalidInteger =
    "'%s' ist kein gültiger Integerwert für Feld '%s'";
inline constexpr const char* FieldInvalidFloat =
    "'%s' ist kein gültiger Gleitkommawert für Feld '%s'";
inline constexpr const char* FieldInvalidBoolean =
    "'%s' ist kein gültiger boolescher Wert für Feld '%s'";
inline constexpr const char* DataSetClosed =
    "Operation bei geschlossener Datenmenge nicht ausführbar";
inline constexpr const char* NotEditing =
    "Datenmenge befindet sich nicht im Editier- oder Einfügemodus";
inline constexpr const char* FieldNotFound = "Feld '%s' nicht gefunden";
inline constexpr const char* IndexNotFound = "Index '%s' nicht gefunden";
inline constexpr const char* DuplicateIndexName = "Doppelter Indexname '%s'";
inline constexpr const char* MissingDataPacket = "Fehlender Datenprovider oder Datenpaket";
inline constexpr const char* EmptyDataSet = "Operation nicht zulässig bei einer leeren Datenmenge";
// Editor
inline constexpr const char* LoadError = "QMT Load Error";
inline constexpr const char* OpenFileError = "Fehler beim Öffnen der Datei: ";
inline constexpr const char* SaveFileError = "Fehler beim Speichern der Datei: ";
inline constexpr const char* DeleteRecordQuestion = "Datensatz löschen?";
inline constexpr const char* ConfirmCaption = "Bestätigung";
inline constexpr const char* ButtonOK = "OK";
inline constexpr const char* ButtonCancel = "Abbrechen";
inline constexpr const char* ReplaceFileQuestion =
    "Die Datei %s existiert bereits.\nSoll sie ersetzt werden?";
}  // namespace Msg
