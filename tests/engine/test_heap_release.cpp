// Giving the heap's free pages back to the system.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/Engine.h"
#include "frame/Bench.h"

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

    const long before = residentMemoryKiB();
    releaseFreeHeapPages();
    const long after = residentMemoryKiB();
    for (void* f : fences) std::free(f);
    ASSERT_GT(before, 0);
    EXPECT_GE(before - after, 3 * 1024);
}
