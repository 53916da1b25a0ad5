#include "model/zeroed_block.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <utility>

namespace scenario {
namespace {

bool all_zero(const ZeroedBlock& block) {
    return std::all_of(block.data(), block.data() + block.size(), [](std::byte b) { return b == std::byte{0}; });
}

// Sizes on both sides of the huge-page threshold (2 MiB), and odd ones.
TEST(ZeroedBlock, EverySizeArrivesZeroedAndWritable) {
    for (std::size_t bytes : {std::size_t{1}, std::size_t{9}, std::size_t{4096}, (std::size_t{2} << 20) - 1,
                              std::size_t{2} << 20, (std::size_t{2} << 20) + 1, std::size_t{4050000}}) {
        ZeroedBlock block(bytes);
        ASSERT_NE(block.data(), nullptr) << bytes;
        EXPECT_EQ(block.size(), bytes);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block.data()) % alignof(double), 0u) << bytes;
        EXPECT_TRUE(all_zero(block)) << bytes;
        block.data()[0] = std::byte{1};
        block.data()[bytes - 1] = std::byte{2};
        EXPECT_EQ(block.data()[bytes - 1], std::byte{2});
    }
}

TEST(ZeroedBlock, EmptyBlockHoldsNothing) {
    const ZeroedBlock none;
    EXPECT_EQ(none.data(), nullptr);
    EXPECT_EQ(none.size(), 0u);
    const ZeroedBlock zero(0);
    EXPECT_EQ(zero.size(), 0u);
}

TEST(ZeroedBlock, MovingHandsOverTheBytes) {
    ZeroedBlock first(std::size_t{3} << 20);
    first.data()[100] = std::byte{7};
    std::byte* const bytes = first.data();

    ZeroedBlock second(std::move(first));
    // What a moved-from block holds is what is tested here.
    EXPECT_EQ(first.data(), nullptr);  // NOLINT(bugprone-use-after-move)
    EXPECT_EQ(first.size(), 0u);
    EXPECT_EQ(second.data(), bytes);
    EXPECT_EQ(second.data()[100], std::byte{7});

    ZeroedBlock third(16);
    third = std::move(second);
    EXPECT_EQ(third.data(), bytes);
    EXPECT_EQ(third.size(), std::size_t{3} << 20);
    EXPECT_EQ(second.size(), 0u);  // NOLINT(bugprone-use-after-move)
    third = ZeroedBlock(5);
    EXPECT_EQ(third.size(), 5u);
    EXPECT_TRUE(all_zero(third));
}

}  // namespace
}  // namespace scenario
