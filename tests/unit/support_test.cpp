// The support layer's buffer: inside its owner up to its inline size, on the heap beyond, always zeroed.
#include "support/small_buffer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

TEST(SmallBufferTest, ResetGivesZeroedElementsInsideUpToTheInlineSizeAndOnTheHeapBeyond) {
    SmallBuffer<uint8_t, 4> buffer;
    EXPECT_EQ(buffer.Size(), 0u);
    const uint8_t* inside = buffer.Data();
    for (std::size_t count : {4u, 9u, 3u, 0u}) {
        buffer.Reset(count);
        EXPECT_EQ(buffer.Size(), count);
        EXPECT_EQ(buffer.Data() == inside, count <= 4) << count;
        EXPECT_EQ(std::vector<uint8_t>(buffer.Data(), buffer.Data() + count), std::vector<uint8_t>(count, 0));
        if (count > 0) buffer.Data()[count - 1] = 0x5A;  // the next Reset must clear it again
    }
}

}  // namespace
