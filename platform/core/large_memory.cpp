#include "platform/core/large_memory.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace large_memory {

namespace {

// Under AddressSanitizer every block comes from the heap, where the
// sanitizer sees every access.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kMapped = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kMapped = false;
#else
constexpr bool kMapped = true;
#endif
#else
constexpr bool kMapped = true;
#endif

bool IsMapped(size_t bytes) {
    return kMapped && bytes >= kLargeBlock;
}

// The length of the mapping of a block: whole huge pages, so that its last
// part is backed by one as well.
size_t MappedLength(size_t bytes) {
    return (bytes + kHugePage - 1) & ~(kHugePage - 1);
}

void* Map(size_t bytes) noexcept {
    if (bytes > SIZE_MAX - 2 * kHugePage) return nullptr;
    const size_t length = MappedLength(bytes);
    // Mapped one huge page longer, then cut to a huge page's boundary.
    const size_t span = length + kHugePage;
    void* raw = ::mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) return nullptr;
    const auto start = reinterpret_cast<uintptr_t>(raw);
    const uintptr_t aligned = (start + kHugePage - 1) & ~(uintptr_t{kHugePage} - 1);
    if (aligned > start) ::munmap(raw, aligned - start);
    const uintptr_t tail = aligned + length;
    if (start + span > tail) ::munmap(reinterpret_cast<void*>(tail), start + span - tail);
    void* block = reinterpret_cast<void*>(aligned);
#ifdef MADV_HUGEPAGE
    ::madvise(block, length, MADV_HUGEPAGE);
#endif
    return block;
}

}  // namespace

void* Allocate(size_t bytes) {
    if (!IsMapped(bytes)) return ::operator new(bytes);
    void* block = Map(bytes);
    if (block == nullptr) throw std::bad_alloc();
    return block;
}

void Free(void* block, size_t bytes) noexcept {
    if (block == nullptr) return;
    if (!IsMapped(bytes)) {
        ::operator delete(block);
        return;
    }
    ::munmap(block, MappedLength(bytes));
}

void* Resize(void* block, size_t bytes, size_t wanted) noexcept {
    if (block == nullptr) {
        try {
            return Allocate(wanted);
        } catch (...) {
            return nullptr;
        }
    }
    if (IsMapped(bytes) && IsMapped(wanted)) {
        if (MappedLength(bytes) == MappedLength(wanted)) return block;
        // The system moves the pages instead of copying them.
        void* moved = ::mremap(block, MappedLength(bytes), MappedLength(wanted), MREMAP_MAYMOVE);
        if (moved == MAP_FAILED) return nullptr;
#ifdef MADV_HUGEPAGE
        ::madvise(moved, MappedLength(wanted), MADV_HUGEPAGE);
#endif
        return moved;
    }
    void* other = nullptr;
    try {
        other = Allocate(wanted);
    } catch (...) {
        return nullptr;
    }
    std::memcpy(other, block, bytes < wanted ? bytes : wanted);
    Free(block, bytes);
    return other;
}

void Release(void* from, size_t bytes) noexcept {
    // Whole huge pages only: giving back part of one would break it up.
    constexpr uintptr_t page = kHugePage;
    const auto start = reinterpret_cast<uintptr_t>(from);
    const uintptr_t first = (start + page - 1) & ~(page - 1);
    const uintptr_t last = (start + bytes) & ~(page - 1);
    if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_DONTNEED);
}

}  // namespace large_memory

bool LargeBytes::RoomForExactly(size_t capacity) noexcept {
    if (capacity <= capacity_) return true;
    void* grown = large_memory::Resize(data_, capacity_, capacity);
    if (grown == nullptr) return false;
    data_ = static_cast<char*>(grown);
    capacity_ = capacity;
    return true;
}

bool LargeBytes::Grow(size_t n) noexcept {
    if (n > SIZE_MAX - size_) return false;
    const size_t needed = size_ + n;
    const size_t doubled = capacity_ > SIZE_MAX / 2 ? SIZE_MAX : capacity_ * 2;
    return (doubled > needed && RoomForExactly(doubled)) || RoomForExactly(needed);
}
