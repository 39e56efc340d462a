// msvcrt for Windows images: cdecl thunks onto the C library, with Windows'
// layouts where they differ from it: 16-bit wide characters, the 32-byte FILE
// records of _iob (standard output and error reach the host's), the locale
// record and the locale categories, the "C" locale being the only one.

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host/peload/pe_image.h"
#include "host/peload/pe_thunks.h"

namespace tw::pe {

namespace {

// msvcrt's FILE record; only its address matters here.
struct WindowsFile {
    uint8_t fields[32];
};
constexpr int IobEntries = 20;
WindowsFile Iob[IobEntries] = {};
int MbCurMax = 1;

FILE* streamOf(WindowsFile* f) {
    if (f == &Iob[1]) return stdout;
    if (f == &Iob[2]) return stderr;
    return nullptr;
}

size_t TW_PE_CDECL fwrite_(const void* data, size_t size, size_t count, WindowsFile* f) {
    FILE* s = streamOf(f);
    if (!s || !data) {
        errno = EBADF;
        return 0;
    }
    return std::fwrite(data, size, count, s);
}

int TW_PE_CDECL fputc_(int c, WindowsFile* f) {
    FILE* s = streamOf(f);
    if (!s) {
        errno = EBADF;
        return EOF;
    }
    return std::fputc(c, s);
}

// Both sides pass the variable arguments as a pointer to the first of them.
int TW_PE_CDECL vfprintf_(WindowsFile* f, const char* format, va_list args) {
    FILE* s = streamOf(f);
    if (!s || !format) {
        errno = EBADF;
        return -1;
    }
    return std::vfprintf(s, format, args);
}

int* TW_PE_CDECL errno_() { return &errno; }

// The runtime's start-up runs constructor tables through this: each entry is
// a routine of the image, called in cdecl and checked like every call into it.
void TW_PE_CDECL initterm_(const void* const* begin, const void* const* end) {
    const Image* owner = nullptr;
    for (Image* image : Image::loaded())
        if (image->contains(begin) && image->contains(end - 1)) owner = image;
    if (!owner || end < begin) return;
    for (const void* const* p = begin; p < end; ++p) {
        if (*p && owner->contains(*p))
            checkedCall(*p, Convention::Cdecl, {}, false, "a constructor of the image");
    }
}

[[noreturn]] void TW_PE_CDECL amsgExit_(int code) {
    std::fprintf(stderr, "runtime error R60%02d in a Windows image\n", code);
    std::abort();
}

[[noreturn]] void TW_PE_CDECL abort_() {
    std::fprintf(stderr, "a Windows image called abort\n");
    std::abort();
}

void TW_PE_CDECL ignoreInt_(int) {}
void TW_PE_CDECL setUserMathErr_(void*) {}

// Windows' locale record: ten strings, then eight small numbers.
struct WindowsLconv {
    const char* strings[10];
    char numbers[8];
};
const WindowsLconv CLocale = {
    {".", "", "", "", "", "", "", "", "", ""},
    {CHAR_MAX, CHAR_MAX, CHAR_MAX, CHAR_MAX, CHAR_MAX, CHAR_MAX, CHAR_MAX, CHAR_MAX},
};
const WindowsLconv* TW_PE_CDECL localeconv_() { return &CLocale; }

// The "C" locale is the only one: asked for it (or for the default), or
// asked which one is set, the answer is "C".
const char* TW_PE_CDECL setlocale_(int category, const char* locale) {
    constexpr int LastCategory = 5;  // LC_ALL 0 .. LC_TIME 5
    if (category < 0 || category > LastCategory) return nullptr;
    if (!locale || !*locale || std::strcmp(locale, "C") == 0) return "C";
    return nullptr;
}

size_t TW_PE_CDECL wcslen_(const uint16_t* s) {
    size_t n = 0;
    while (s[n]) ++n;
    return n;
}

void* TW_PE_CDECL malloc_(size_t n) { return std::malloc(n); }
void* TW_PE_CDECL calloc_(size_t n, size_t size) { return std::calloc(n, size); }
void* TW_PE_CDECL realloc_(void* p, size_t n) { return std::realloc(p, n); }
void TW_PE_CDECL free_(void* p) { std::free(p); }
void* TW_PE_CDECL memcpy_(void* d, const void* s, size_t n) { return std::memcpy(d, s, n); }
void* TW_PE_CDECL memmove_(void* d, const void* s, size_t n) { return std::memmove(d, s, n); }
void* TW_PE_CDECL memset_(void* d, int c, size_t n) { return std::memset(d, c, n); }
int TW_PE_CDECL memcmp_(const void* a, const void* b, size_t n) { return std::memcmp(a, b, n); }
size_t TW_PE_CDECL strlen_(const char* s) { return std::strlen(s); }
int TW_PE_CDECL strcmp_(const char* a, const char* b) { return std::strcmp(a, b); }
int TW_PE_CDECL strncmp_(const char* a, const char* b, size_t n) { return std::strncmp(a, b, n); }
const char* TW_PE_CDECL strchr_(const char* s, int c) { return std::strchr(s, c); }
const char* TW_PE_CDECL strrchr_(const char* s, int c) { return std::strrchr(s, c); }
const char* TW_PE_CDECL strerror_(int e) { return std::strerror(e); }
int TW_PE_CDECL atoi_(const char* s) { return std::atoi(s); }

// The mathematical functions the instruments use; doubles travel on the
// stack and come back in st(0) on both sides.
double TW_PE_CDECL sin_(double x) { return std::sin(x); }
double TW_PE_CDECL cos_(double x) { return std::cos(x); }
double TW_PE_CDECL tan_(double x) { return std::tan(x); }
double TW_PE_CDECL asin_(double x) { return std::asin(x); }
double TW_PE_CDECL acos_(double x) { return std::acos(x); }
double TW_PE_CDECL atan_(double x) { return std::atan(x); }
double TW_PE_CDECL atan2_(double y, double x) { return std::atan2(y, x); }
double TW_PE_CDECL sqrt_(double x) { return std::sqrt(x); }
double TW_PE_CDECL exp_(double x) { return std::exp(x); }
double TW_PE_CDECL log_(double x) { return std::log(x); }
double TW_PE_CDECL log10_(double x) { return std::log10(x); }
double TW_PE_CDECL pow_(double x, double y) { return std::pow(x, y); }
double TW_PE_CDECL fabs_(double x) { return std::fabs(x); }
double TW_PE_CDECL floor_(double x) { return std::floor(x); }
double TW_PE_CDECL ceil_(double x) { return std::ceil(x); }
double TW_PE_CDECL fmod_(double x, double y) { return std::fmod(x, y); }

#define TW_CRT(name, fn) \
    { name, routine(&fn), Convention::Cdecl, false }
#define TW_CRT_DATA(name, var) \
    { name, &var, Convention::Cdecl, true }

const Binding Entries[] = {
    TW_CRT_DATA("__mb_cur_max", MbCurMax),
    TW_CRT("__setusermatherr", setUserMathErr_),
    TW_CRT("_amsg_exit", amsgExit_),
    TW_CRT("_errno", errno_),
    TW_CRT("_initterm", initterm_),
    TW_CRT_DATA("_iob", Iob),
    TW_CRT("_lock", ignoreInt_),
    TW_CRT("_unlock", ignoreInt_),
    TW_CRT("abort", abort_),
    TW_CRT("acos", acos_),
    TW_CRT("asin", asin_),
    TW_CRT("atan", atan_),
    TW_CRT("atan2", atan2_),
    TW_CRT("atoi", atoi_),
    TW_CRT("calloc", calloc_),
    TW_CRT("ceil", ceil_),
    TW_CRT("cos", cos_),
    TW_CRT("exp", exp_),
    TW_CRT("fabs", fabs_),
    TW_CRT("floor", floor_),
    TW_CRT("fmod", fmod_),
    TW_CRT("fputc", fputc_),
    TW_CRT("free", free_),
    TW_CRT("fwrite", fwrite_),
    TW_CRT("localeconv", localeconv_),
    TW_CRT("log", log_),
    TW_CRT("log10", log10_),
    TW_CRT("malloc", malloc_),
    TW_CRT("memcmp", memcmp_),
    TW_CRT("memcpy", memcpy_),
    TW_CRT("memmove", memmove_),
    TW_CRT("memset", memset_),
    TW_CRT("pow", pow_),
    TW_CRT("realloc", realloc_),
    TW_CRT("setlocale", setlocale_),
    TW_CRT("sin", sin_),
    TW_CRT("sqrt", sqrt_),
    TW_CRT("strchr", strchr_),
    TW_CRT("strcmp", strcmp_),
    TW_CRT("strerror", strerror_),
    TW_CRT("strlen", strlen_),
    TW_CRT("strncmp", strncmp_),
    TW_CRT("strrchr", strrchr_),
    TW_CRT("tan", tan_),
    TW_CRT("vfprintf", vfprintf_),
    TW_CRT("wcslen", wcslen_),
};

}  // namespace

const BindingTable MsvcrtBindings = {"msvcrt.dll", Entries, sizeof Entries / sizeof Entries[0]};

}  // namespace tw::pe
