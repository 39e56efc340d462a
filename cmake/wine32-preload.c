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
 * It also gives every thread descriptors of its own. qemu-i386 7.2 keeps one
 * global descriptor table for the whole process, so the thread-local entries
 * that Linux keeps per thread are shared: a thread that reloads %gs (the C
 * library's thread block) or %fs (Wine's TEB) from such an entry, as Wine
 * does in its signal handlers and after exceptions, gets the newest thread's
 * block. The local descriptor table has an entry per thread instead: each
 * thread's %gs is moved to a local entry of its own (below 512, which Wine
 * leaves to the C library), and Wine is told that the global entries are not
 * there (set_thread_area fails), so that it gives each thread's TEB a local
 * entry too.
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
    SysModifyLdt = 123,
    SysSetThreadArea = 243,
    SysSchedYield = 158,
    NoSuchCall = 38, /* ENOSYS */
    LdtWrite = 0x11,
    LocalEntries = 512, /* Wine's own entries start here */
    FirstLocalEntry = 1,
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

extern char** environ; /* the C library's, bound when this library is loaded */

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

/* ---- Descriptors of each thread's own ---- */

struct user_desc {
    unsigned entry_number;
    unsigned base_addr;
    unsigned limit;
    unsigned flags; /* seg_32bit 1, contents 2, read_exec_only 1, limit_in_pages 1,
                       seg_not_present 1, useable 1 */
};
enum { Seg32Bit = 1, LimitInPages = 1 << 4, Useable = 1 << 6 };

extern int* __errno_location(void);

static long syscall6(long number, long a, long b, long c, long d, long e, long f) {
    long args[6] = {a, b, c, d, e, f};
    long* arg = args;
    long result;
    __asm__ volatile(
        "push %%ebp\n\tpush %%ebx\n\t"
        "mov 20(%%ecx), %%ebp\n\tmov 16(%%ecx), %%edi\n\tmov 12(%%ecx), %%esi\n\t"
        "mov 8(%%ecx), %%edx\n\tmov 0(%%ecx), %%ebx\n\tmov 4(%%ecx), %%ecx\n\t"
        "int $0x80\n\tpop %%ebx\n\tpop %%ebp"
        : "=a"(result), "+c"(arg)
        : "0"(number)
        : "edx", "esi", "edi", "memory");
    return result;
}

static unsigned next_entry = FirstLocalEntry;
static unsigned short global_gs; /* the C library's entry, as the main thread had it */
static int creating;             /* held while a thread is created */

static unsigned gs_base(void) {
    unsigned base;
    __asm__ volatile("mov %%gs:0, %0" : "=r"(base)); /* the thread block points at itself */
    return base;
}

static unsigned short get_gs(void) {
    unsigned short selector;
    __asm__ volatile("mov %%gs, %0" : "=r"(selector));
    return selector;
}

static void set_gs(unsigned short selector) { __asm__ volatile("mov %0, %%gs" ::"r"(selector)); }

/* Moves the calling thread's %gs to a local entry of its own with the same
 * base. Once the entries run out, a thread keeps its global one. */
static void own_gs_entry(void) {
    unsigned entry = __atomic_fetch_add(&next_entry, 1, __ATOMIC_RELAXED);
    if (entry >= LocalEntries) return;
    struct user_desc desc = {entry, gs_base(), 0xfffff, Seg32Bit | LimitInPages | Useable};
    if (syscall4(SysModifyLdt, LdtWrite, (long)&desc, sizeof desc, 0) != 0) return;
    set_gs((unsigned short)((entry << 3) | 7));
}

/* The main thread: its %gs moved, and its %fs cleared, so that Wine sets the
 * TEB's entry up itself rather than take over a global entry found there. */
__attribute__((constructor)) static void own_main_thread_entry(void) {
    global_gs = get_gs();
    own_gs_entry();
    __asm__ volatile("mov %0, %%fs" ::"r"((unsigned short)0));
}

/* Wine allocates its TEB entries itself: the global one is refused. */
__attribute__((visibility("default"))) long syscall(long number, long a, long b, long c, long d,
                                                    long e, long f) {
    long result;
    if (number == SysSetThreadArea && a && ((struct user_desc*)a)->entry_number == ~0u)
        result = -NoSuchCall;
    else
        result = syscall6(number, a, b, c, d, e, f);
    if (result < 0 && result > -4096) {
        *__errno_location() = (int)-result;
        return -1;
    }
    return result;
}

typedef void* (*thread_routine)(void*);
typedef int (*create_routine)(void*, const void*, thread_routine, void*);

struct thread_start {
    thread_routine routine;
    void* arg;
    int taken;
};
static struct thread_start starts[64];

/* A new thread starts with the selector its creator had: the C library's
 * global entry, which qemu has just loaded with the new thread's block. */
static void* start_with_own_entry(void* p) {
    struct thread_start* start = p;
    thread_routine routine = start->routine;
    void* arg = start->arg;
    own_gs_entry();
    __atomic_store_n(&start->taken, 0, __ATOMIC_RELEASE);
    return routine(arg);
}

static void lock(int* word) {
    int free = 0;
    while (!__atomic_compare_exchange_n(word, &free, 1, 0, __ATOMIC_ACQUIRE, __ATOMIC_RELAXED)) {
        free = 0;
        syscall4(SysSchedYield, 0, 0, 0, 0);
    }
}

static void unlock(int* word) { __atomic_store_n(word, 0, __ATOMIC_RELEASE); }

__attribute__((visibility("default"))) int pthread_create(void* thread, const void* attr,
                                                          thread_routine routine, void* arg) {
    static create_routine next;
    if (!next) next = (create_routine)dlsym(NEXT_LIBRARY, "pthread_create");
    if (!next) return NoSuchCall;
    unsigned short own = get_gs();
    if (!global_gs || own == global_gs) return next(thread, attr, routine, arg);
    struct thread_start* start = 0;
    for (unsigned i = 0; i < sizeof starts / sizeof starts[0] && !start; ++i) {
        int free = 0;
        if (__atomic_compare_exchange_n(&starts[i].taken, &free, 1, 0, __ATOMIC_ACQ_REL,
                                        __ATOMIC_RELAXED))
            start = &starts[i];
    }
    if (!start) return next(thread, attr, routine, arg); /* many starting at once: as it was */
    start->routine = routine;
    start->arg = arg;

    /* While it creates the thread, the creator runs on the global entry,
     * first set to its own block; qemu then writes the new thread's block
     * there and loads it into the new thread. The creator's loaded base is
     * not reread until it goes back to its own entry. */
    lock(&creating);
    struct user_desc desc = {global_gs >> 3, gs_base(), 0xfffff, Seg32Bit | LimitInPages | Useable};
    syscall4(SysSetThreadArea, (long)&desc, 0, 0, 0);
    set_gs(global_gs);
    int result = next(thread, attr, start_with_own_entry, start);
    set_gs(own);
    /* The new thread takes its base before anyone else reloads the entry. */
    while (result == 0 && __atomic_load_n(&start->taken, __ATOMIC_ACQUIRE))
        syscall4(SysSchedYield, 0, 0, 0, 0);
    unlock(&creating);
    if (result != 0) unlock(&start->taken);
    return result;
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

static int wraps(int signal) { return signal == SigSegv || signal == SigBus || signal == SigFpe; }

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
        old->handler =
            (kold.handler == (void*)fill_in_trap && previous) ? (void*)previous : kold.handler;
        old->flags = (int)kold.flags;
        old->restorer = kold.restorer;
        for (int i = 0; i < 32; ++i) old->mask[i] = 0;
        old->mask[0] = kold.mask[0];
        old->mask[1] = kold.mask[1];
    }
    return 0;
}
