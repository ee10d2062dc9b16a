#pragma once
// The platform's string list: an ordered list of 8-bit texts.

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/ansi.h"
#include "platform/core/large_memory.h"

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
    // path, then the system's reason) when the file cannot be read, when it is
    // no regular file (reason "Keine reguläre Datei"; never waits on a FIFO nor
    // reads a device) and when the memory for it cannot be had.
    void LoadFromFile(const std::string& path);
    // Writes every line followed by CR LF, bytes unchanged. Never leaves a
    // half-written file: the text goes to a temporary file in the same folder,
    // which is flushed and then renamed over the target. On any failure the old
    // file is untouched, the temporary file is removed and EFCreateError or
    // EWriteError is raised.
    // Symbolic links are followed (also to a file that does not exist yet) and
    // kept. An existing target that is no regular file (a device, FIFO,
    // socket) is refused and left as it is. The new file keeps the old one's
    // permission bits (never set-id or sticky) and, when the superuser saves,
    // its owner and group. A file with further hard links, and a writable file
    // in a folder that takes no new file, is overwritten where it stands
    // instead (not atomic: a failed write may leave it half written).
    void SaveToFile(const std::string& path) const;

    std::vector<AnsiString>& Items() { return items_; }
    const std::vector<AnsiString>& Items() const { return items_; }

  private:
    std::vector<AnsiString> items_;
};

// The bytes of a whole file, in a buffer that is not filled with zeros first.
// A regular file read front to back, block by block, for a reader that
// walks it once and need not hold all of it.
class FileStream {
  public:
    FileStream() = default;
    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;
    ~FileStream();

    // Opens the file at path for reading. Raises EFOpenError "Datei %s kann
    // nicht geöffnet werden. %s" (the full path, then the system's reason)
    // when it cannot be opened or is no regular file; never waits on a FIFO.
    void Open(const std::string& path);
    // The size the file had when it was opened (0 for files that report none).
    uint64_t Size() const { return size_; }
    const std::string& Path() const { return path_; }
    // Appends up to n more bytes of the file to bytes (growing it as needed);
    // the number appended, 0 at the end. Raises EFOpenError for a failed read
    // or when there is no memory for the bytes.
    size_t ReadInto(LargeBytes& bytes, size_t n);

  private:
    std::string path_;
    int fd_ = -1;
    uint64_t size_ = 0;
};

class FileBytes {
  public:
    // Reads the whole file at path. Raises EFOpenError "Datei %s kann nicht
    // geöffnet werden. %s" (the full path, then the system's reason) when it
    // cannot be read, is no regular file or does not fit in memory.
    void Load(const std::string& path);
    // The same for a file just opened.
    void Load(FileStream& file);
    std::string_view View() const { return bytes_.View(); }
    // Gives back the memory of the bytes before upTo (a place within View())
    // that will not be read again; reads there give zeros afterwards.
    void ReleaseBefore(const char* upTo) noexcept;
    bool AnyReleased() const { return released_ > 0; }

  private:
    LargeBytes bytes_;
    size_t released_ = 0;  // the bytes before this are given back
};

// Calls onLine with each line of text, split as TStringList::SetText splits it.
template <class OnLine>
void ForEachTextLine(std::string_view text, OnLine onLine) {
    if (const void* nul = std::memchr(text.data(), '\0', text.size())) {
        text = text.substr(0, static_cast<size_t>(static_cast<const char*>(nul) - text.data()));
    }
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    // Next CR and next LF at or after the current position (end when none).
    const char* nextCr = begin;
    const char* nextLf = begin;
    const char* p = begin;
    while (p < end) {
        if (nextCr < p) nextCr = p;
        if (nextCr != end && *nextCr != '\r') {
            const void* f = std::memchr(nextCr, '\r', static_cast<size_t>(end - nextCr));
            nextCr = f ? static_cast<const char*>(f) : end;
        }
        if (nextLf < p) nextLf = p;
        if (nextLf != end && *nextLf != '\n') {
            const void* f = std::memchr(nextLf, '\n', static_cast<size_t>(end - nextLf));
            nextLf = f ? static_cast<const char*>(f) : end;
        }
        const char* brk = nextCr < nextLf ? nextCr : nextLf;
        onLine(std::string_view(p, static_cast<size_t>(brk - p)));
        if (brk == end) break;
        // CR LF is one break; a lone CR or a lone LF is one too.
        p = (*brk == '\r' && brk + 1 < end && brk[1] == '\n') ? brk + 2 : brk + 1;
    }
}

// Writes bytes to path atomically, as TStringList::SaveToFile does.
void WriteFileAtomically(const std::string& path, std::string_view bytes);

// The text of a file, made piece by piece for a writer that need not hold
// all of it at once: Make calls put with each piece in order, and returns
// false when the text cannot be made (what it put so far is then of no use).
// Make may be called more than once and makes the same text each time.
class FileText {
  public:
    using Put = std::function<void(std::string_view)>;
    virtual bool Make(const Put& put) const = 0;

  protected:
    ~FileText() = default;
};

// As above, with the text that text makes, written as it is made. Returns
// false, with every file as it was, when the text cannot be made.
bool WriteFileAtomically(const std::string& path, const FileText& text);
// The absolute form of path (the platform's ExpandFileName), for messages.
std::string ExpandFileName(const std::string& path);
