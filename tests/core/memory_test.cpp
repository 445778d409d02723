#include "platform/memory.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <memory>
#include <vector>

namespace velmira {
namespace {

long residentPages() {
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident;
}

// Many small blocks, as a command list's rows are: freed, they stay with the
// process until they are handed back.
TEST(Memory, FreedSmallBlocksGoBackToTheSystem) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer's allocator keeps pages its own way";
#endif
    const long before = residentPages();
    auto blocks = std::make_unique<std::vector<std::unique_ptr<char[]>>>();
    for (int n = 0; n < 400000; ++n) {
        blocks->push_back(std::make_unique<char[]>(200));
        blocks->back()[0] = static_cast<char>(n);  // touched, so resident
    }
    const long full = residentPages();
    // A few blocks stay, as the program's other objects do, the last one
    // among them: the heap's top stays in use, and freeing alone returns
    // nothing of the pages between.
    std::vector<std::unique_ptr<char[]>> kept;
    for (std::size_t n = 0; n < blocks->size(); n += 1000) kept.push_back(std::move((*blocks)[n]));
    kept.push_back(std::move(blocks->back()));
    const long grown = full - before;
    ASSERT_GT(grown * getpagesize(), 50 << 20) << "the blocks should take some 90 MB";
    blocks.reset();
    releaseFreedMemory();
    EXPECT_LT(residentPages() - before, grown / 4)
        << "pages still resident: " << residentPages() - before << " of " << grown;
}

}  // namespace
}  // namespace velmira
