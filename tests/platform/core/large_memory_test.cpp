#include "platform/core/large_memory.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace {

using large_memory::kHugePage;
using large_memory::kLargeBlock;

// A recognisable byte for every place of a block.
char ByteAt(size_t i) {
    return static_cast<char>('a' + (i * 7 + i / 4096) % 26);
}

void Fill(char* block, size_t bytes) {
    for (size_t i = 0; i < bytes; ++i) block[i] = ByteAt(i);
}

// The first place in [0, bytes) whose byte is not the recognisable one, or bytes.
size_t FirstChanged(const char* block, size_t bytes) {
    for (size_t i = 0; i < bytes; ++i) {
        if (block[i] != ByteAt(i)) return i;
    }
    return bytes;
}

TEST(LargeMemoryTest, ResizedBlocksKeepTheirBytes) {
    const struct {
        size_t from;
        size_t to;
    } cases[] = {{100, 200},
                 {100, kLargeBlock + 5},
                 {kLargeBlock, 3 * kHugePage + 1},
                 {3 * kHugePage + 1, kLargeBlock + 1},
                 {5 * kHugePage, 100},
                 {kHugePage - 3, kHugePage + 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.from) + " to " + std::to_string(c.to));
        auto* block = static_cast<char*>(large_memory::Allocate(c.from));
        Fill(block, c.from);
        auto* resized = static_cast<char*>(large_memory::Resize(block, c.from, c.to));
        ASSERT_NE(resized, nullptr);
        const size_t kept = std::min(c.from, c.to);
        EXPECT_EQ(FirstChanged(resized, kept), kept);
        // All of the new size is usable.
        std::memset(resized, 'x', c.to);
        large_memory::Free(resized, c.to);
    }
    // Growing nothing is allocating.
    auto* fresh = static_cast<char*>(large_memory::Resize(nullptr, 0, kLargeBlock));
    ASSERT_NE(fresh, nullptr);
    std::memset(fresh, 1, kLargeBlock);
    large_memory::Free(fresh, kLargeBlock);
    large_memory::Free(nullptr, 0);
}

TEST(LargeMemoryTest, ReleaseZeroesWholeHugePagesWithinTheRangeOnly) {
    const size_t bytes = 6 * kHugePage;
    auto* block = static_cast<char*>(large_memory::Allocate(bytes));
    Fill(block, bytes);
    // From within the first huge page to within the fourth.
    large_memory::Release(block + 100, 3 * kHugePage + 50);
    const auto start = reinterpret_cast<uintptr_t>(block);
    const uintptr_t first = (start + 100 + kHugePage - 1) & ~(uintptr_t{kHugePage} - 1);
    const uintptr_t last = (start + 100 + 3 * kHugePage + 50) & ~(uintptr_t{kHugePage} - 1);
    for (size_t i = 0; i < bytes; i += 4093) {
        const uintptr_t at = start + i;
        if (at >= first && at < last) {
            EXPECT_EQ(block[i], 0) << i;
        } else {
            EXPECT_EQ(block[i], ByteAt(i)) << i;
        }
    }
    // The released pages are the block's still.
    std::memset(block, 'y', bytes);
    large_memory::Free(block, bytes);
}

TEST(LargeMemoryTest, ContainersOfEverySizeWork) {
    for (const size_t n : {size_t{0}, size_t{10}, kLargeBlock / 8 - 1, kLargeBlock / 8,
                           3 * kHugePage / 8 + 7}) {
        SCOPED_TRACE(n);
        LargeVector<uint64_t> numbers;
        for (size_t i = 0; i < n; ++i) numbers.push_back(i * 3);
        LargeVector<uint64_t> copy = numbers;
        numbers.clear();
        numbers.shrink_to_fit();
        ASSERT_EQ(copy.size(), n);
        for (size_t i = 0; i < n; i += 997) EXPECT_EQ(copy[i], i * 3);
        LargeString text(n, 'q');
        text += "end";
        EXPECT_EQ(text.size(), n + 3);
        EXPECT_EQ(text.substr(n), "end");
    }
}

}  // namespace
