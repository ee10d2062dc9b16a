#pragma once
// Memory for the large arrays of a table: a file's bytes, a column's values,
// the text of a file being written.
//
// A block of kLargeBlock bytes or more is mapped from the system on its own,
// aligned to a huge page and asked to be backed by huge pages where the
// system offers them: filling a block of many megabytes then costs one page
// fault per 2 MB instead of one per 4 kB, and a freed block goes back to the
// system at once. Smaller blocks come from the ordinary heap.

#include <cstddef>
#include <cstring>
#include <limits>
#include <new>
#include <string>
#include <string_view>
#include <vector>

namespace large_memory {

inline constexpr size_t kHugePage = size_t{2} << 20;
inline constexpr size_t kLargeBlock = size_t{1} << 20;

// A block of at least bytes bytes; raises std::bad_alloc when there is none.
void* Allocate(size_t bytes);
// Gives back a block of Allocate, with the size it was asked for.
void Free(void* block, size_t bytes) noexcept;
// The block grown or shrunk to wanted bytes (its first min(bytes, wanted)
// bytes kept, the block moved when it must); nullptr, with the block left as
// it was, when there is no memory for it.
void* Resize(void* block, size_t bytes, size_t wanted) noexcept;
// Gives the system the whole huge pages within [from, from + bytes) of a
// block: the memory stays the block's, but reads there give zeros again.
void Release(void* from, size_t bytes) noexcept;

}  // namespace large_memory

// Bytes in one block (see large_memory) that grows as it is filled: by
// doubling, or by no more than is asked when the doubled block cannot be had,
// so that it never fails for want of room that it does not use. A large block
// grows in place where the system can move its pages instead of copying them.
class LargeBytes {
  public:
    LargeBytes() = default;
    LargeBytes(const LargeBytes&) = delete;
    LargeBytes& operator=(const LargeBytes&) = delete;
    ~LargeBytes() { large_memory::Free(data_, capacity_); }

    char* Data() { return data_; }
    const char* Data() const { return data_; }
    size_t Size() const { return size_; }
    size_t Capacity() const { return capacity_; }
    std::string_view View() const { return std::string_view(data_, size_); }

    // Room for n more bytes after Size; false when the memory cannot be had.
    bool Room(size_t n) noexcept { return capacity_ - size_ >= n || Grow(n); }
    // Room for capacity bytes in all, exactly; false when it cannot be had.
    bool RoomForExactly(size_t capacity) noexcept;
    // Room for n more bytes; raises std::bad_alloc when there is none.
    void Reserve(size_t n) {
        if (!Room(n)) throw std::bad_alloc();
    }
    // The next byte to write: room first, then Advance by what was written.
    char* Cursor() { return data_ + size_; }
    void Advance(size_t n) { size_ += n; }
    void Clear() { size_ = 0; }
    // Drops the first n bytes; the rest moves to the front.
    void EraseFront(size_t n) {
        if (n >= size_) {
            size_ = 0;
            return;
        }
        std::memmove(data_, data_ + n, size_ - n);
        size_ -= n;
    }
    void Append(const char* bytes, size_t n) {
        Reserve(n);
        if (n != 0) std::memcpy(data_ + size_, bytes, n);
        size_ += n;
    }
    void Append(std::string_view bytes) { Append(bytes.data(), bytes.size()); }
    void Push(char c) {
        Reserve(1);
        data_[size_++] = c;
    }

  private:
    bool Grow(size_t n) noexcept;

    char* data_ = nullptr;
    size_t size_ = 0;
    size_t capacity_ = 0;
};

// An allocator for containers that may grow large (see large_memory).
template <class T>
class LargeAllocator {
  public:
    using value_type = T;

    LargeAllocator() noexcept = default;
    template <class U>
    LargeAllocator(const LargeAllocator<U>&) noexcept {}

    T* allocate(size_t n) {
        if (n > std::numeric_limits<size_t>::max() / sizeof(T)) throw std::bad_alloc();
        return static_cast<T*>(large_memory::Allocate(n * sizeof(T)));
    }
    void deallocate(T* p, size_t n) noexcept { large_memory::Free(p, n * sizeof(T)); }

    template <class U>
    bool operator==(const LargeAllocator<U>&) const noexcept {
        return true;
    }
};

template <class T>
using LargeVector = std::vector<T, LargeAllocator<T>>;
using LargeString = std::basic_string<char, std::char_traits<char>, LargeAllocator<char>>;
