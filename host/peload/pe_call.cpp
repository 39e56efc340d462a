#include "host/peload/pe_call.h"

#include <asm/ldt.h>
#include <pthread.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <cstring>

// What the trampoline leaves for its caller besides the result.
struct TwPeCallRecord {
    int32_t drift;           // stack pointer after the call minus what the convention leaves
    uint16_t status_before;  // x87 status words around the call
    uint16_t status_after;
};
static_assert(sizeof(TwPeCallRecord) == 8);

extern "C" {
// fn, argument words, their count, whether the callee pops them, the %fs
// selector for the call (0: leave %fs alone), the record. One body, declared
// twice: a double result is left in st(0), where the second declaration
// makes the compiler look for it.
uint64_t twpe_invoke(const void* fn, const uint32_t* words, uint32_t count, uint32_t callee_pops,
                     uint32_t fs, TwPeCallRecord* record);
double twpe_invoke_double(const void* fn, const uint32_t* words, uint32_t count,
                          uint32_t callee_pops, uint32_t fs, TwPeCallRecord* record);
}

// The frame: 8(%ebp) fn, 12 words, 16 count, 20 callee_pops, 24 fs, 28 record;
// -16(%ebp) keeps the caller's %fs. The host's stack pointer comes back from
// %ebp whatever the callee did to it.
asm(R"(
    .text
    .p2align 4
    .globl twpe_invoke
    .globl twpe_invoke_double
    .type twpe_invoke, @function
    .type twpe_invoke_double, @function
twpe_invoke:
twpe_invoke_double:
    pushl %ebp
    movl %esp, %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    subl $4, %esp
    movw %fs, -16(%ebp)
    movl 28(%ebp), %edi
    fnstsw 4(%edi)
    movl 16(%ebp), %ecx
    leal 0(,%ecx,4), %eax
    subl %eax, %esp
    andl $-16, %esp
    movl %esp, %edi
    movl 12(%ebp), %esi
    cld
    rep movsl
    movl 24(%ebp), %eax
    testl %eax, %eax
    jz 1f
    movw %ax, %fs
1:
    movl %esp, %ebx
    call *8(%ebp)
    movl %esp, %ecx
    subl %ebx, %ecx
    movl 16(%ebp), %esi
    shll $2, %esi
    cmpl $0, 20(%ebp)
    jne 2f
    xorl %esi, %esi
2:
    subl %esi, %ecx
    movl 28(%ebp), %edi
    movl %ecx, (%edi)
    fnstsw 6(%edi)
    movw -16(%ebp), %cx
    movw %cx, %fs
    leal -12(%ebp), %esp
    popl %edi
    popl %esi
    popl %ebx
    popl %ebp
    ret
    .size twpe_invoke, .-twpe_invoke
    .size twpe_invoke_double, .-twpe_invoke_double
)");

namespace tw::pe {

namespace {

// The part of the Windows thread block that runtime code reads, at its offsets.
struct ThreadBlock {
    uint32_t exception_list;  // 0x00: end of the handler chain
    uint32_t stack_base;      // 0x04
    uint32_t stack_limit;     // 0x08
    uint32_t reserved_0c[3];
    uint32_t self;  // 0x18
    uint32_t environment;
    uint32_t process_id;  // 0x20
    uint32_t thread_id;   // 0x24
    uint32_t rpc_handle;
    uint32_t tls_pointer;  // 0x2c: the thread-local storage array
    uint32_t process_block;
    uint32_t last_error;  // 0x34
};
static_assert(offsetof(ThreadBlock, self) == 0x18);
static_assert(offsetof(ThreadBlock, tls_pointer) == 0x2c);
static_assert(offsetof(ThreadBlock, last_error) == 0x34);

constexpr size_t BlockPage = 4096;
constexpr uint32_t EndOfHandlerChain = 0xFFFFFFFF;
// Entry 0 of the process's local descriptor table, requested privilege 3.
constexpr unsigned DescriptorEntry = 0;
constexpr uint16_t SelectorFromLdt = 4;
constexpr uint16_t UserPrivilege = 3;

struct Block {
    ThreadBlock* block = nullptr;
    void** tls = nullptr;
    uint16_t selector = 0;
    bool taken[TlsSlotCount] = {};
};

Block& state() {
    static Block b;
    return b;
}

void makeBlock(Block& b) {
    // One page for the thread block, one for the process block and one for
    // the storage array: zeroed, as Windows hands them out.
    void* pages =
        mmap(nullptr, 3 * BlockPage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (pages == MAP_FAILED) throw std::runtime_error("no memory for the image's thread block");
    auto* bytes = static_cast<uint8_t*>(pages);
    auto* block = reinterpret_cast<ThreadBlock*>(bytes);
    b.tls = reinterpret_cast<void**>(bytes + 2 * BlockPage);

    pthread_attr_t attr;
    void* stack = nullptr;
    size_t stack_size = 0;
    if (pthread_getattr_np(pthread_self(), &attr) == 0) {
        pthread_attr_getstack(&attr, &stack, &stack_size);
        pthread_attr_destroy(&attr);
    }
    block->exception_list = EndOfHandlerChain;
    block->stack_limit = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(stack));
    block->stack_base = block->stack_limit + static_cast<uint32_t>(stack_size);
    block->self = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(block));
    block->process_id = static_cast<uint32_t>(getpid());
    block->thread_id = static_cast<uint32_t>(syscall(SYS_gettid));
    block->tls_pointer = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(b.tls));
    block->process_block = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(bytes + BlockPage));

    user_desc d;
    std::memset(&d, 0, sizeof d);
    d.entry_number = DescriptorEntry;
    d.base_addr = block->self;
    d.limit = BlockPage - 1;
    d.seg_32bit = 1;
    d.contents = 0;  // data, growing up
    d.read_exec_only = 0;
    d.limit_in_pages = 0;
    d.seg_not_present = 0;
    d.useable = 1;
    constexpr int WriteLdtEntry = 1;
    if (syscall(SYS_modify_ldt, WriteLdtEntry, &d, sizeof d) != 0) {
        munmap(pages, 3 * BlockPage);
        throw std::runtime_error("the system refuses a descriptor for the image's thread block");
    }
    b.block = block;
    b.selector = static_cast<uint16_t>((DescriptorEntry << 3) | SelectorFromLdt | UserPrivilege);
}

constexpr unsigned X87TopShift = 11;
constexpr unsigned X87TopMask = 7;

unsigned x87Top(uint16_t status) { return (status >> X87TopShift) & X87TopMask; }

std::string hex(uintptr_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%x", static_cast<unsigned>(v));
    return buf;
}

}  // namespace

uint16_t threadBlockSelector() {
    Block& b = state();
    if (!b.block) makeBlock(b);
    return b.selector;
}

int allocateTlsSlot() {
    Block& b = state();
    threadBlockSelector();
    for (int i = 0; i < TlsSlotCount; ++i) {
        if (!b.taken[i]) {
            b.taken[i] = true;
            b.tls[i] = nullptr;
            return i;
        }
    }
    return -1;
}

void releaseTlsSlot(int slot) {
    Block& b = state();
    if (slot < 0 || slot >= TlsSlotCount || !b.block) return;
    b.taken[slot] = false;
    b.tls[slot] = nullptr;
}

void setTlsSlotData(int slot, void* data) {
    Block& b = state();
    if (slot < 0 || slot >= TlsSlotCount || !b.block) return;
    b.tls[slot] = data;
}

void splitDouble(double value, uint32_t& low, uint32_t& high) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    low = static_cast<uint32_t>(bits);
    high = static_cast<uint32_t>(bits >> 32);
}

CallResult checkedCall(const void* code, Convention convention,
                       std::initializer_list<uint32_t> words, bool returns_double,
                       const char* what) {
    const uint16_t fs = threadBlockSelector();
    const auto count = static_cast<uint32_t>(words.size());
    const uint32_t pops = convention == Convention::Stdcall ? 1 : 0;
    TwPeCallRecord record{};
    CallResult result;
    if (returns_double)
        result.number = twpe_invoke_double(code, words.begin(), count, pops, fs, &record);
    else
        result.words = twpe_invoke(code, words.begin(), count, pops, fs, &record);

    const unsigned before = x87Top(record.status_before);
    const unsigned after = x87Top(record.status_after);
    const unsigned expected = returns_double ? ((before - 1) & X87TopMask) : before;
    // A value left behind, or one taken that was never there, would shift every
    // later x87 computation of the host: start the registers afresh (the
    // control word the host runs with is the one this sets).
    if (after != expected)
        asm volatile("fninit" ::
                         : "st", "st(1)", "st(2)", "st(3)", "st(4)", "st(5)", "st(6)", "st(7)");

    const char* convention_name = convention == Convention::Stdcall ? "stdcall" : "cdecl";
    if (record.drift != 0) {
        throw StackCheckError(
            std::string(what) + " at " + hex(reinterpret_cast<uintptr_t>(code)) + " (" +
            convention_name + ", " + std::to_string(count * 4) +
            " argument bytes) came back with the stack pointer " + std::to_string(record.drift) +
            " bytes off: it takes other arguments or another convention than the host calls it "
            "with");
    }
    if (after != expected) {
        throw StackCheckError(std::string(what) + " at " + hex(reinterpret_cast<uintptr_t>(code)) +
                              (returns_double ? " returned no double on the x87 stack"
                                              : " left a value on the x87 stack") +
                              ": its result type differs from what the host expects");
    }
    return result;
}

}  // namespace tw::pe
