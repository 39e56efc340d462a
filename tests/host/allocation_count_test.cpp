#include "host/allocation_count.h"

#include <gtest/gtest.h>

#include <new>

#if !defined(_WIN32)
#include "platform/linux/stand_in.h"
#endif

namespace allocation_count_test {

namespace {

// Kept where the compiler cannot see that nobody reads it.
void* volatile kept;

}  // namespace

TEST(AllocationCount, CountsEveryFormOfOperatorNewWhileOpenAndNotWhenSetAside) {
    uint64_t before_open;
    {
        tw::AllocationCount outer;
        kept = ::operator new(16);
        ::operator delete(kept);
        kept = ::operator new[](16, std::nothrow);
        ::operator delete[](kept);
        kept = ::operator new (64, std::align_val_t{64});
        EXPECT_EQ(reinterpret_cast<uintptr_t>(kept) % 64, 0u);
        ::operator delete (kept, std::align_val_t{64});
        {
            tw::UncountedAllocations aside;
            kept = ::operator new(16);
            ::operator delete(kept);
        }
        tw::AllocationCount inner;
        kept = ::operator new(16);
        ::operator delete(kept);
        EXPECT_EQ(inner.allocations(), 1u);
        EXPECT_EQ(outer.allocations(), 4u);
        before_open = outer.allocations();
    }
    tw::AllocationCount later;
    EXPECT_EQ(later.allocations(), 0u);
    EXPECT_EQ(before_open, 4u);
#if !defined(_WIN32)
    // A shared library's allocations count too, as the module's do: the
    // stand-in keeps an atom's name on the heap.
    ATOM atom = GlobalAddAtomA("a name too long for any small-string buffer");
    EXPECT_GT(later.allocations(), 0u);
    GlobalDeleteAtom(atom);
#endif
}

}  // namespace allocation_count_test
