// Growable arrays.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "bscomp_test_support.h"
#include "compiler/arrays.h"

using bscomp_test::MessageCapture;

// Allocation failures must reach growArray as a null block, as they would without the
// sanitizer, rather than stop the test.
#if defined(__has_feature)
#  if __has_feature(address_sanitizer)
extern "C" const char* __asan_default_options()
{
    return "allocator_may_return_null=1";
}
#  endif
#endif

namespace {

struct Record {
    uint32_t a;
    char b[20];
};

TEST(GrowArray, DoublesOrTakesTheNeededCountWhicheverIsLarger)
{
    Record* records = nullptr;
    uint32_t capacity = 0;
    ASSERT_EQ(growArray(&records, &capacity, 1), 0);
    EXPECT_EQ(capacity, 1u);
    ASSERT_EQ(growArray(&records, &capacity, 64), 0);
    EXPECT_EQ(capacity, 64u);
    for (uint32_t i = 0; i < 64; ++i) records[i].a = i;

    ASSERT_EQ(growArray(&records, &capacity, 65), 0);
    EXPECT_EQ(capacity, 128u);
    ASSERT_EQ(growArray(&records, &capacity, 1000), 0);
    EXPECT_EQ(capacity, 1000u);
    for (uint32_t i = 0; i < 64; ++i) EXPECT_EQ(records[i].a, i);  // contents kept
    records[999].a = 7;                                            // the new room is usable
    free(records);
}

TEST(GrowArray, LeavesASufficientArrayAlone)
{
    void* block = malloc(16);
    void* before = block;
    uint32_t capacity = 4;
    EXPECT_EQ(growArray(&block, &capacity, 4, 4), 0);
    EXPECT_EQ(growArray(&block, &capacity, 0, 4), 0);
    EXPECT_EQ(block, before);
    EXPECT_EQ(capacity, 4u);
    free(block);
}

TEST(GrowArray, FailureKeepsTheOldBlockAndCapacity)
{
    MessageCapture messages;
    char* block = static_cast<char*>(malloc(8));
    memcpy(block, "1234567", 8);
    uint32_t capacity = 8;
    // No allocator can provide UINT32_MAX elements of 1 GiB.
    EXPECT_EQ(growArray(reinterpret_cast<void**>(&block), &capacity, UINT32_MAX, size_t{1} << 30), -1);
    EXPECT_EQ(capacity, 8u);
    EXPECT_STREQ(block, "1234567");
    // Element counts whose size does not even fit in memory's address range.
    EXPECT_EQ(growArray(reinterpret_cast<void**>(&block), &capacity, 1u << 31, size_t{1} << 40), -1);
    EXPECT_EQ(capacity, 8u);
    EXPECT_EQ(messages.err(), "ERROR- Out of memory\nERROR- Out of memory\n");
    free(block);
}

TEST(GrowArray, MissingArgumentsAreReported)
{
    MessageCapture messages;
    void* block = nullptr;
    uint32_t capacity = 0;
    EXPECT_EQ(growArray(nullptr, &capacity, 1, 4), -1);
    EXPECT_EQ(growArray(&block, nullptr, 1, 4), -1);
    EXPECT_EQ(messages.err(), "ERROR- Unexpected NULL.\nERROR- Unexpected NULL.\n");
}

}  // namespace
