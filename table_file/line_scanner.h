#pragma once
// The byte scanner behind the line tokenizer and the reader: one walk over
// the bytes of a line that hands every token to a sink as soon as it ends.
//
// The same scanner serves three callers, chosen by template flags:
//   - LineSplitter (SplitTableLine, the header line): a line given as a view,
//     CR and LF ordinary bytes, every token kept until the next split;
//   - the reader's kind pass: texts not kept, only their lengths, and the
//     line ends at its line break, so the lines need not be found first;
//   - the reader's load pass: texts kept, the line ends at its line break,
//     each token used up by the sink before the next one is scanned.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace table_line {

bool IsNumberText(std::string_view text);

namespace scan {

// What a byte means to the scanner's loops, as bits.
enum : uint8_t {
    kEndsPlainRun = 1,   // outside a quoted text: blank, quote, apostrophe, comma, backslash
    kLineBreak = 2,      // CR, LF
    kEndsDoubleRun = 4,  // inside a text in double quotes: the double quote, backslash
    kEndsSingleRun = 8,  // inside a text in apostrophes: the apostrophe, backslash
};

struct ByteClasses {
    uint8_t bits[256] = {};
};

constexpr ByteClasses MakeByteClasses() {
    ByteClasses t;
    for (const unsigned char c : {' ', '"', '\'', ',', '\\'}) t.bits[c] |= kEndsPlainRun;
    for (const unsigned char c : {'\r', '\n'}) t.bits[c] |= kLineBreak;
    for (const unsigned char c : {'"', '\\'}) t.bits[c] |= kEndsDoubleRun;
    for (const unsigned char c : {'\'', '\\'}) t.bits[c] |= kEndsSingleRun;
    return t;
}

inline constexpr ByteClasses kClasses = MakeByteClasses();

inline uint8_t ClassOf(char c) {
    return kClasses.bits[static_cast<unsigned char>(c)];
}

// The bytes whose class has a bit of stop.
struct StopBytes {
    char bytes[8] = {};
    int count = 0;
};

constexpr StopBytes MakeStopBytes(uint8_t stop) {
    StopBytes s;
    for (int c = 0; c < 256; ++c) {
        if (kClasses.bits[c] & stop) s.bytes[s.count++] = static_cast<char>(c);
    }
    return s;
}

// The first byte at or after p (end when none) whose class has a bit of
// kStop. Sixteen bytes at a time where the processor compares them at once.
template <uint8_t kStop>
inline const char* SkipRun(const char* p, const char* const end) {
#if defined(__SSE2__)
    static constexpr StopBytes kStopBytes = MakeStopBytes(kStop);
    static_assert(kStopBytes.count > 0);
    while (end - p >= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        __m128i hit = _mm_cmpeq_epi8(v, _mm_set1_epi8(kStopBytes.bytes[0]));
        for (int k = 1; k < kStopBytes.count; ++k) {
            hit = _mm_or_si128(hit, _mm_cmpeq_epi8(v, _mm_set1_epi8(kStopBytes.bytes[k])));
        }
        const auto mask = static_cast<unsigned>(_mm_movemask_epi8(hit));
        if (mask != 0) return p + __builtin_ctz(mask);
        p += 16;
    }
#endif
    while (p < end && !(ClassOf(*p) & kStop)) ++p;
    return p;
}

}  // namespace scan

// Scratch space for the pending text and for texts whose escapes had to be
// resolved. Grows on demand; a caller whose tokens must outlive the next byte
// scanned reserves the line's length first, so that it never moves.
class ScanBuffer {
  public:
    char* Data() { return data_.get(); }
    size_t Capacity() const { return capacity_; }
    // Room for at least capacity bytes; the contents up to used are kept.
    void Reserve(size_t capacity, size_t used = 0) {
        if (capacity <= capacity_) return;
        const size_t grown = std::max(capacity, capacity_ * 2);
        std::unique_ptr<char[]> bigger(new char[grown]);
        if (used > 0) std::memcpy(bigger.get(), data_.get(), used);
        data_ = std::move(bigger);
        capacity_ = grown;
    }

  private:
    std::unique_ptr<char[]> data_;
    size_t capacity_ = 0;
};

// The kind of the unquoted token text (trimmed of bytes 0x00 to 0x20 at both
// ends, which moves begin and end): 'b', 'u' or 'n'; 0 when it is none of
// these; ' ' when nothing remains.
template <bool kCheck = true>
char ClassifyUnquoted(const char*& begin, const char*& end) {
    while (begin < end && static_cast<unsigned char>(*begin) <= 0x20) ++begin;
    while (end > begin && static_cast<unsigned char>(end[-1]) <= 0x20) --end;
    if (begin == end) return ' ';
    if constexpr (!kCheck) return '?';
    const std::string_view text(begin, static_cast<size_t>(end - begin));
    const char first = text[0];
    if ((first >= '0' && first <= '9') || first == '-' || first == '+' || first == '.' ||
        text.size() > 5 || text.size() < 4) {
        // Not a keyword: the number test decides.
        return IsNumberText(text) ? 'n' : 0;
    }
    if (text == "true" || text == "false") return 'b';
    if (text == "null") return 'u';
    return IsNumberText(text) ? 'n' : 0;
}

// Scans the tokens of one line from p and calls
//   sink(kind, data, kept, length)
// for each, in the order in which they end: kind 's', 'b', 'u' or 'n'; the
// value is [data, data + kept) (for a text not kept, kept is 0 and data
// null); length is the value's length in bytes.
//
// kKeepTexts: keep the bytes of quoted texts (otherwise only their lengths).
// kAtLineBreak: CR and LF end the line (otherwise they are ordinary bytes).
// kReuse: the sink is done with a token when it returns, so the buffer is
//   used afresh for the next one; otherwise tokens point into the buffer
//   side by side, and the caller must have reserved the line's length.
//
// Returns where the scan stopped: at the line break or end when ok is true;
// at the byte that failed (a backslash outside a quoted text, the comma after
// a bad token) when ok is false.
// kCheck: classify unquoted tokens and fail on bad ones; without it every
//   non-empty unquoted token is handed over as kind '?', for a caller that
//   knows the line to split (the reader's load pass, after the kind pass).
template <bool kKeepTexts, bool kAtLineBreak, bool kReuse, class Sink, bool kCheck = true>
const char* ScanTokens(const char* p, const char* const end, ScanBuffer& buffer, Sink& sink,
                       bool& ok) {
    using namespace scan;
    constexpr uint8_t kBreak = kAtLineBreak ? kLineBreak : 0;
    constexpr uint8_t kPlainStop = kEndsPlainRun | kBreak;

    if (buffer.Capacity() == 0) buffer.Reserve(256);
    char* base = buffer.Data();
    char* limit = base + buffer.Capacity();
    char* out = base;
    char* pending = out;  // the pending text is [pending, out)
    // Room for n more bytes at out. What is kept of a line is never longer
    // than the line, so a buffer reserved to the line's length never moves.
    auto ensure = [&](size_t n) {
        if (static_cast<size_t>(limit - out) >= n) return;
        const size_t pendingAt = static_cast<size_t>(pending - base);
        const size_t outAt = static_cast<size_t>(out - base);
        buffer.Reserve(std::max<size_t>(outAt + n, 256), outAt);
        base = buffer.Data();
        limit = base + buffer.Capacity();
        pending = base + pendingAt;
        out = base + outAt;
    };
    auto tokenDone = [&] {
        if constexpr (kReuse) out = base;
        pending = out;
    };
    // An unquoted token ends at its comma: classified, handed on unless it is
    // empty; false when it is no token at all.
    auto endUnquoted = [&](const char* b, const char* e) {
        const char kind = ClassifyUnquoted<kCheck>(b, e);
        if (kind == 0) return false;
        if (kind != ' ') sink(kind, b, static_cast<size_t>(e - b), static_cast<size_t>(e - b));
        tokenDone();
        return true;
    };

    ok = true;
    while (p < end) {
        const char c = *p;
        if (c == ' ') {
            ++p;
        } else if (c == ',') {
            if (!endUnquoted(pending, out)) {
                ok = false;
                return p;
            }
            ++p;
        } else if (c == '\\') {
            ok = false;
            return p;
        } else if (c == '"' || c == '\'') {
            // A quoted text; what is pending becomes its beginning.
            const char quote = c;
            ++p;
            size_t skipped = 0;  // bytes of the text not kept
            bool closed = false;
            while (p < end) {
                const char* run = p;
                p = quote == '"' ? SkipRun<kEndsDoubleRun | kBreak>(p, end)
                                 : SkipRun<kEndsSingleRun | kBreak>(p, end);
                const size_t runLength = static_cast<size_t>(p - run);
                if (p < end && *p == quote && pending == out && skipped == 0) {
                    // The whole text stands unescaped in the line.
                    ++p;
                    sink('s', kKeepTexts ? run : nullptr, kKeepTexts ? runLength : 0, runLength);
                    tokenDone();
                    closed = true;
                    break;
                }
                if constexpr (kKeepTexts) {
                    ensure(runLength);
                    std::memcpy(out, run, runLength);
                    out += runLength;
                } else {
                    skipped += runLength;
                }
                if (p == end) break;
                if (*p == quote) {
                    ++p;
                    const size_t kept = static_cast<size_t>(out - pending);
                    sink('s', pending, kept, kept + skipped);
                    tokenDone();
                    closed = true;
                    break;
                }
                if (*p != '\\') break;  // the line ends inside the text
                // A backslash: the escape covers exactly the next byte.
                ++p;
                if (p == end || (kAtLineBreak && (ClassOf(*p) & kLineBreak))) break;
                const char e = *p++;
                const bool single = e == ' ' || e == '"' || e == '\'' || e == '\\';
                if constexpr (kKeepTexts) {
                    ensure(2);
                    if (!single) *out++ = '\\';
                    *out++ = e;
                } else {
                    skipped += single ? 1 : 2;
                }
            }
            // An unclosed quoted text is dropped at the end of the line.
            if (!closed) return p;
        } else if (kAtLineBreak && (ClassOf(c) & kLineBreak)) {
            return p;
        } else {
            const char* run = p;
            ++p;
            p = SkipRun<kPlainStop>(p, end);
            if (pending == out && p < end && *p == ',') {
                // A token that stands whole in the line: classified where it stands.
                if (!endUnquoted(run, p)) {
                    ok = false;
                    return p;
                }
                ++p;
                continue;
            }
            const size_t runLength = static_cast<size_t>(p - run);
            ensure(runLength);
            std::memcpy(out, run, runLength);
            out += runLength;
        }
    }
    // Whatever is still pending at the end of the line is dropped unclassified.
    return p;
}

}  // namespace table_line
