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
#include <limits>
#include <new>
#include <string>
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
