#pragma once
// The platform's string list: an ordered list of 8-bit texts.

#include <string>
#include <string_view>
#include <vector>

#include "platform/core/ansi.h"

class TStringList {
  public:
    int Count() const { return static_cast<int>(items_.size()); }
    // Raises EListError when index is out of range.
    const AnsiString& operator[](int index) const;
    AnsiString& operator[](int index);
    void Add(AnsiString s) { items_.push_back(std::move(s)); }
    void Clear() { items_.clear(); }
    void Reserve(int n) { items_.reserve(static_cast<size_t>(n)); }

    // The part before the first "=" and the part after it (the whole entry and
    // the empty text when there is no "=").
    AnsiString Names(int index) const;
    AnsiString ValueFromIndex(int index) const;

    // Splits text into lines at CR LF, a lone CR and a lone LF; a last line
    // without a break counts, a break at the very end adds no empty line; the
    // text ends at its first NUL byte. Replaces the list's contents.
    void SetText(std::string_view text);
    // Every line followed by CR LF.
    std::string Text() const;

    // Reads the whole file (bytes unchanged) and splits it as SetText does.
    // Raises EFOpenError "Datei %s kann nicht geöffnet werden. %s" (the full
    // path, then the system's reason) when the file cannot be read.
    void LoadFromFile(const std::string& path);
    // Writes every line followed by CR LF, bytes unchanged. Never leaves a
    // half-written file: the text goes to a temporary file in the same folder,
    // which is flushed and then renamed over the target. On any failure the old
    // file is untouched, the temporary file is removed and EFCreateError or
    // EWriteError is raised.
    void SaveToFile(const std::string& path) const;

    std::vector<AnsiString>& Items() { return items_; }
    const std::vector<AnsiString>& Items() const { return items_; }

  private:
    std::vector<AnsiString> items_;
};

// Writes bytes to path atomically, as TStringList::SaveToFile does.
void WriteFileAtomically(const std::string& path, std::string_view bytes);
// The absolute form of path (the platform's ExpandFileName), for messages.
std::string ExpandFileName(const std::string& path);
