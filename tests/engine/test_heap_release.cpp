// Giving the heap's free pages back to the system.
#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/Engine.h"
#include "frame/Bench.h"

namespace {
// Resident pages wholly inside the blocks (of size bytes each). Asked of the blocks' own pages
// rather than of the process's resident total, which other threads left by earlier tests may
// move at the same moment.
long residentPagesInside(const std::vector<void*>& blocks, size_t size) {
    const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    long resident = 0;
    for (void* b : blocks) {
        const uintptr_t start = (reinterpret_cast<uintptr_t>(b) + page - 1) / page * page;
        const uintptr_t end = (reinterpret_cast<uintptr_t>(b) + size) / page * page;
        if (end <= start) continue;
        std::vector<unsigned char> flags((end - start) / page);
        if (mincore(reinterpret_cast<void*>(start), end - start, flags.data()) != 0) return -1;
        for (unsigned char f : flags) resident += f & 1;
    }
    return resident;
}
}  // namespace

// Blocks of 64 KiB come from the heap. Each freed one lies between two live small blocks, so it
// can neither merge with its neighbours nor go back with the top of the heap: its pages stay
// resident until they are released.
TEST(HeapRelease, FreedBlocksBetweenLiveOnesLeaveTheResidentMemory) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "the sanitizer's allocator replaces the C library's heap";
#endif
    const size_t kBlock = 64 * 1024;
    std::vector<void*> blocks, fences;
    for (int i = 0; i < 64; ++i) {  // 4 MiB
        blocks.push_back(std::memset(std::malloc(kBlock), i + 1, kBlock));
        fences.push_back(std::malloc(64));
    }
    for (void* b : blocks) std::free(b);

    const long pageKiB = sysconf(_SC_PAGESIZE) / 1024;
    const long before = residentPagesInside(blocks, kBlock);
    releaseFreeHeapPages();
    const long after = residentPagesInside(blocks, kBlock);
    for (void* f : fences) std::free(f);
    ASSERT_GT(before, 0);
    EXPECT_GE((before - after) * pageKiB, 3 * 1024);
}
