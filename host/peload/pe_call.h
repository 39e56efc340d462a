// Calls between the host's code and code of a 32-bit Windows image, on the
// 32-bit Linux host.
//
// Into the image: every call goes through one trampoline that copies the
// argument words onto a fresh, 16-byte aligned stack area, points %fs at the
// image's thread block (the Windows runtime reads its thread block through
// %fs), calls, and then compares the stack pointer with what the convention
// promises: stdcall code pops its own arguments, cdecl code pops none. It also
// compares the x87 register stack: a routine that returns a double leaves
// exactly one value there, any other leaves none. A difference throws
// StackCheckError after the trampoline has put the host's stack pointer back,
// so a callback declared with one argument too many, or called in the wrong
// convention, fails loudly at the call that did it.
//
// Out of the image: the routines the image imports and the services the host
// gives it are entered with only the 4-byte stack alignment Windows code
// keeps; TW_PE_STDCALL and TW_PE_CDECL realign it for the host's code.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>

#if !defined(__i386__) || defined(_WIN32)
#error "the PE loader belongs to the 32-bit Linux host only"
#endif

#define TW_PE_STDCALL __attribute__((stdcall, force_align_arg_pointer))
#define TW_PE_CDECL __attribute__((cdecl, force_align_arg_pointer))

namespace tw::pe {

// A call into an image came back with the stack or the x87 registers not as
// its convention leaves them.
class StackCheckError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class Convention { Stdcall, Cdecl };

// What one checked call returned.
struct CallResult {
    uint64_t words = 0;   // eax, and edx in the high half
    double number = 0.0;  // st(0), for routines that return a double
};

// Calls `code` with the given argument words in the convention, checks the
// stack and the x87 registers as described above and throws StackCheckError
// naming `what` on a difference. `returns_double` says where the result is.
CallResult checkedCall(const void* code, Convention convention,
                       std::initializer_list<uint32_t> words, bool returns_double,
                       const char* what);

// The two words a double takes on the stack, low word first.
void splitDouble(double value, uint32_t& low, uint32_t& high);

// The selector %fs holds during calls into images: one thread block for the
// host's thread, made on first use. Throws std::runtime_error when the system
// refuses its descriptor.
uint16_t threadBlockSelector();

// Slots of the thread block's thread-local storage array, through which an
// image's code reaches its thread-local data.
constexpr int TlsSlotCount = 64;
// Takes a free slot, or -1 when every slot is taken.
int allocateTlsSlot();
void releaseTlsSlot(int slot);
void setTlsSlotData(int slot, void* data);

}  // namespace tw::pe
