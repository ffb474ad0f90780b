// The one owning handle template: never copied, moved with its ownership,
// closed exactly once, and put() closes the old value before it is reused.
#include "platform/unique_handle.h"

#include <gtest/gtest.h>

#include <type_traits>
#include <vector>

namespace {

std::vector<void*> closed;
void Close(void* handle) noexcept
{
    closed.push_back(handle);
}

using TNullHandle = TUniqueHandle<TNullTraits<void*, Close>>;
using TMinusOneHandle = TUniqueHandle<TInvalidValueTraits<Close>>;

static_assert(!std::is_copy_constructible_v<TNullHandle> && !std::is_copy_assignable_v<TNullHandle>);
static_assert(std::is_nothrow_move_constructible_v<TNullHandle> && std::is_nothrow_move_assignable_v<TNullHandle>);
static_assert(!std::is_copy_constructible_v<TFileHandle> && !std::is_copy_constructible_v<TResourceHandle>);
static_assert(!std::is_convertible_v<TNullHandle, void*>, "no silent conversion to the raw value");

void* const A = reinterpret_cast<void*>(0x10);
void* const B = reinterpret_cast<void*>(0x20);

class UniqueHandle : public testing::Test {
protected:
    void SetUp() override { closed.clear(); }
};

TEST_F(UniqueHandle, MovesTransferOwnershipAndEachValueClosesOnce)
{
    {
        TNullHandle first(A);
        TNullHandle second(std::move(first));
        EXPECT_FALSE(first);
        EXPECT_EQ(A, second.get());
        TNullHandle third(B);
        third = std::move(second); // B goes now, A with third
        EXPECT_EQ(std::vector<void*>{B}, closed);
        TNullHandle& same = third;
        third = std::move(same);
        EXPECT_EQ(A, third.get()) << "moving onto itself keeps the value";
    }
    EXPECT_EQ((std::vector<void*>{B, A}), closed);
}

TEST_F(UniqueHandle, PutAndResetCloseTheOldValueReleaseDoesNot)
{
    TNullHandle handle(A);
    void** out = handle.put();
    EXPECT_EQ(std::vector<void*>{A}, closed);
    EXPECT_EQ(nullptr, *out);
    *out = B;
    EXPECT_EQ(B, handle.release());
    EXPECT_FALSE(handle);
    handle.reset(A);
    handle.reset();
    EXPECT_EQ((std::vector<void*>{A, A}), closed) << "B was released, not closed";
}

TEST_F(UniqueHandle, InvalidValueIsNeverClosed)
{
    {
        TNullHandle empty;
        TMinusOneHandle failed(reinterpret_cast<void*>(static_cast<std::intptr_t>(-1)));
        EXPECT_FALSE(failed);
        TMinusOneHandle null(nullptr);
        EXPECT_TRUE(null) << "null is a value like any other where -1 means failure";
        null.release();
    }
    EXPECT_TRUE(closed.empty());
}

} // namespace
