// Counts heap allocations: the program's global operator new, in every form,
// is replaced by one that counts its calls while a counter is open. A program
// gets the replacement by linking the bundled host. What a loaded library
// allocates is counted too where it takes its operator new from the program
// (the Linux module); a library with its own static runtime (the Windows DLL)
// allocates unseen.
#pragma once

#include <cstdint>

namespace tw {

// Counts from its construction to its destruction; counters may nest.
class AllocationCount {
public:
    AllocationCount();
    ~AllocationCount();
    AllocationCount(const AllocationCount&) = delete;
    AllocationCount& operator=(const AllocationCount&) = delete;

    // Allocations counted since this counter was opened.
    uint64_t allocations() const;

private:
    uint64_t start_;
};

// Work done on behalf of another process or of the operating system (the
// offset server, which stands for the simulator's own) is not the host's or
// the module's: allocations while one of these is open are not counted.
class UncountedAllocations {
public:
    UncountedAllocations();
    ~UncountedAllocations();
    UncountedAllocations(const UncountedAllocations&) = delete;
    UncountedAllocations& operator=(const UncountedAllocations&) = delete;
};

}  // namespace tw
