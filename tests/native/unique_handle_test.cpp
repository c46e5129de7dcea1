#include <gtest/gtest.h>

#include <type_traits>
#include <vector>

#include "runtime/unique_handle.h"

namespace velmora {
namespace {

std::vector<int> closed;

struct FakeTraits {
    using Type = int;
    static constexpr int Empty() { return -1; }
    static void Close(int h) { closed.push_back(h); }
};
using Handle = UniqueHandle<FakeTraits>;

static_assert(!std::is_copy_constructible_v<Handle> && !std::is_copy_assignable_v<Handle>);

TEST(UniqueHandle, ReleasesOnceAndFollowsMoves) {
    closed.clear();
    {
        Handle a(3);
        Handle b(std::move(a));
        EXPECT_FALSE(a);
        EXPECT_EQ(b.get(), 3);
        Handle c(4);
        c = std::move(b);  // 4 goes, 3 is now owned by c
        EXPECT_EQ(closed, std::vector<int>{4});
        Handle empty;
        EXPECT_FALSE(empty);
        Handle kept(5);
        EXPECT_EQ(kept.release(), 5);
    }
    EXPECT_EQ(closed, (std::vector<int>{4, 3}));
}

}  // namespace
}  // namespace velmora
