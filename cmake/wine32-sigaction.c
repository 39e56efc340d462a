/* A preload library for 32-bit Wine on qemu-i386.
 *
 * qemu-i386 7.2 hands a signal handler a trap number of -1 in its context, so
 * Wine takes every access violation, guard page or stack overflow for an
 * illegal instruction and the program dies of it. This library wraps
 * sigaction for SIGSEGV, SIGBUS and SIGFPE: the handler Wine installs is
 * called through one that first fills in the trap number the processor would
 * have given (14, a page fault, for SIGSEGV and SIGBUS; 0, 4 or 16 for
 * SIGFPE by its code). Every other signal passes straight through.
 *
 * It also reports the program's exit status: the wineserver kills a process
 * that is still there half a second after its last thread ended, which a
 * loaded machine running qemu can exceed, and the status is lost with it.
 * Where TW_WINE32_STATUS names a file, exit and _exit write the status there
 * first.
 *
 * It is built with gcc -m32 -nostdlib (no C library of its own to load into
 * every process) and so makes its system calls itself; the scripts put it in
 * the private root's /etc/ld.so.preload, which only the 32-bit programs under
 * qemu read.
 */

enum {
    SysRtSigaction = 174,
    SysRtSigreturn = 173,
    SysExitGroup = 252,
    SysOpen = 5,
    SysWrite = 4,
    SysClose = 6,
    OpenWriteCreateTruncate = 01 | 0100 | 01000,
    FileMode = 0644,
    SigBus = 7,
    SigFpe = 8,
    SigSegv = 11,
    MaxSignal = 65,
    SaSiginfo = 4,
    SaRestorer = 0x04000000,
    KernelMaskBytes = 8,
    /* si_code of SIGFPE */
    FpeIntDiv = 1,
    FpeIntOvf = 2,
    /* The processor's trap numbers */
    TrapDivide = 0,
    TrapOverflow = 4,
    TrapPageFault = 14,
    TrapFpuError = 16,
    /* Offset of the trap number in the i386 ucontext: flags, link, the
     * three-word stack, then gregs, where the trap number is the 13th. */
    TrapNumberOffset = 20 + 12 * 4,
    /* Offset of si_code in siginfo: after si_signo and si_errno. */
    SiCodeOffset = 8,
};

/* The C library's struct sigaction on i386. */
struct libc_sigaction {
    void* handler;
    unsigned long mask[32];
    int flags;
    void (*restorer)(void);
};

/* The kernel's. */
struct kernel_sigaction {
    void* handler;
    unsigned long flags;
    void (*restorer)(void);
    unsigned long mask[2];
};

typedef void (*info_handler)(int, void*, void*);

static info_handler wrapped[MaxSignal];

static long syscall4(long number, long a, long b, long c, long d) {
    long result;
    __asm__ volatile("push %%ebx\n\tmov %2, %%ebx\n\tint $0x80\n\tpop %%ebx"
                     : "=a"(result)
                     : "0"(number), "r"(a), "c"(b), "d"(c), "S"(d)
                     : "memory");
    return result;
}

extern char** environ;  /* the C library's, bound when this library is loaded */

static const char* status_file(void) {
    static const char name[] = "TW_WINE32_STATUS=";
    for (char** e = environ; e && *e; ++e) {
        const char* v = *e;
        unsigned i = 0;
        while (name[i] && v[i] == name[i]) ++i;
        if (!name[i]) return v + i;
    }
    return 0;
}

/* The C library's dynamic lookup, bound when this library is loaded. */
extern void* dlsym(void* handle, const char* name);
#define NEXT_LIBRARY ((void*)-1l)
typedef void (*exit_routine)(int);

static void report(int status) {
    const char* path = status_file();
    if (!path || !*path) return;
    char text[16];
    unsigned n = sizeof text;
    unsigned value = status < 0 ? 0u - (unsigned)status : (unsigned)status;
    text[--n] = '\n';
    do {
        text[--n] = (char)('0' + value % 10);
        value /= 10;
    } while (value);
    if (status < 0) text[--n] = '-';
    long fd = syscall4(SysOpen, (long)path, OpenWriteCreateTruncate, FileMode, 0);
    if (fd < 0) return;
    syscall4(SysWrite, fd, (long)(text + n), (long)(sizeof text - n), 0);
    syscall4(SysClose, fd, 0, 0, 0);
}

__attribute__((visibility("default"), noreturn)) void exit(int status) {
    report(status);
    exit_routine next = (exit_routine)dlsym(NEXT_LIBRARY, "exit");
    if (next) next(status);
    for (;;) syscall4(SysExitGroup, status, 0, 0, 0);
}

__attribute__((visibility("default"), noreturn)) void _exit(int status) {
    report(status);
    for (;;) syscall4(SysExitGroup, status, 0, 0, 0);
}

/* The return from a handler, as the C library gives the kernel. */
__attribute__((naked)) static void restore_rt(void) {
    __asm__ volatile("mov %0, %%eax\n\tint $0x80" ::"i"(SysRtSigreturn));
}

static int trap_number(int signal, const void* info) {
    if (signal != SigFpe) return TrapPageFault;
    int code = *(const int*)((const char*)info + SiCodeOffset);
    if (code == FpeIntDiv) return TrapDivide;
    if (code == FpeIntOvf) return TrapOverflow;
    return TrapFpuError;
}

static void fill_in_trap(int signal, void* info, void* context) {
    int* trap = (int*)((char*)context + TrapNumberOffset);
    if (*trap == -1) *trap = trap_number(signal, info);
    info_handler handler = __atomic_load_n(&wrapped[signal], __ATOMIC_ACQUIRE);
    if (handler) handler(signal, info, context);
}

static int wraps(int signal) {
    return signal == SigSegv || signal == SigBus || signal == SigFpe;
}

__attribute__((visibility("default"))) int sigaction(int signal, const struct libc_sigaction* act,
                                                     struct libc_sigaction* old) {
    struct kernel_sigaction kact;
    struct kernel_sigaction kold;
    info_handler previous = 0;
    int wrap = act && wraps(signal) && (act->flags & SaSiginfo);
    if (signal > 0 && signal < MaxSignal) previous = wrapped[signal];
    if (act) {
        kact.handler = wrap ? (void*)fill_in_trap : act->handler;
        kact.flags = (unsigned long)act->flags | SaRestorer;
        kact.restorer = restore_rt;
        kact.mask[0] = act->mask[0];
        kact.mask[1] = act->mask[1];
    }
    long result = syscall4(SysRtSigaction, signal, act ? (long)&kact : 0, old ? (long)&kold : 0,
                           KernelMaskBytes);
    if (result < 0) {
        /* errno lives in the C library, which this library does not see:
         * the callers here (Wine) pass valid arguments. */
        return -1;
    }
    if (act && signal > 0 && signal < MaxSignal)
        __atomic_store_n(&wrapped[signal], wrap ? (info_handler)act->handler : 0, __ATOMIC_RELEASE);
    if (old) {
        old->handler = (kold.handler == (void*)fill_in_trap && previous) ? (void*)previous
                                                                          : kold.handler;
        old->flags = (int)kold.flags;
        old->restorer = kold.restorer;
        for (int i = 0; i < 32; ++i) old->mask[i] = 0;
        old->mask[0] = kold.mask[0];
        old->mask[1] = kold.mask[1];
    }
    return 0;
}
