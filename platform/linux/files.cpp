// Files, file mappings and views over real memory. Lifetimes are those of
// Windows: a handle keeps its object, a mapping keeps its file open, a view
// keeps its mapping; an object goes when the last of these goes. A mapping's
// name is the handles' alone: it leaves with the last handle, though views
// keep the object (and their memory) until they are unmapped.

#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/linux/internal.h"

namespace twplat {

namespace {

// The file under a mapping backed by the paging file.
int anonymousFile() {
#if defined(__EMSCRIPTEN__)
    // The browser's file system has no memfd: a file that is gone once opened.
    static unsigned serial = 0;
    const std::string path = "/tmp/twplat-mapping-" + std::to_string(++serial);
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) unlink(path.c_str());
    return fd;
#else
    return memfd_create("twplat-mapping", MFD_CLOEXEC);
#endif
}

constexpr uint64_t kAllocationGranularity = 65536;

struct FileObject {
    int fd = -1;
    std::string path;
    DWORD access = 0;
    DWORD share = 0;
    dev_t dev = 0;
    ino_t ino = 0;
    ~FileObject() {
        if (fd >= 0) close(fd);
    }
};

struct MappingObject {
    std::string name;
    uint64_t size = 0;
    DWORD protect = 0;
    int memfd = -1;        // the paging-file backing; -1 for a file's mapping
    unsigned handles = 0;  // open handles; the name is found only while there are some
    std::shared_ptr<FileObject> file;
#if defined(__EMSCRIPTEN__)
    // The browser's mmap copies a file into memory, so two views would not
    // see each other's writes: every shared view of a paging-file mapping
    // is a window on this one block instead.
    std::vector<uint8_t> memory;
#endif
    ~MappingObject() {
        if (memfd >= 0) close(memfd);
    }
    int fd() const { return file ? file->fd : memfd; }
};

struct HandleEntry {
    std::shared_ptr<FileObject> file;
    std::shared_ptr<MappingObject> mapping;
    DWORD access = 0;  // for a mapping handle: the FILE_MAP_* rights it grants
};

struct ViewEntry {
    std::shared_ptr<MappingObject> mapping;
    size_t length;
    bool mapped = true;  // false for a window on the mapping's own memory
};

std::map<uintptr_t, HandleEntry> handleTable;
// Two views may share a base when they are windows on one block.
std::multimap<uintptr_t, ViewEntry> viewTable;
std::vector<std::weak_ptr<FileObject>> fileObjects;
std::vector<std::weak_ptr<MappingObject>> mappingObjects;
uintptr_t nextHandle = 0x100;
MappingListener mappingListener = nullptr;

HANDLE newHandle(HandleEntry entry) {
    if (entry.mapping) ++entry.mapping->handles;
    const uintptr_t h = nextHandle;
    nextHandle += 4;
    handleTable.emplace(h, std::move(entry));
    return reinterpret_cast<HANDLE>(h);
}

HandleEntry* findHandle(HANDLE h) {
    auto it = handleTable.find(reinterpret_cast<uintptr_t>(h));
    return it == handleTable.end() ? nullptr : &it->second;
}

template <typename T>
std::vector<std::shared_ptr<T>> live(std::vector<std::weak_ptr<T>>& list) {
    std::erase_if(list, [](const std::weak_ptr<T>& w) { return w.expired(); });
    std::vector<std::shared_ptr<T>> out;
    for (auto& w : list) out.push_back(w.lock());
    return out;
}

bool exists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

// Windows paths: backslashes separate, and names match without regard to
// case. An exact name wins; otherwise the first case-insensitive match in the
// folder, and the rest of the path stays as given once nothing matches.
std::string hostPath(LPCSTR windowsPath) {
    std::string path(windowsPath);
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
    if (exists(path)) return path;
    std::string out = path[0] == '/' ? "/" : "";
    size_t pos = 0;
    bool matching = true;
    while (pos <= path.size()) {
        size_t end = path.find('/', pos);
        if (end == std::string::npos) end = path.size();
        const std::string part = path.substr(pos, end - pos);
        pos = end + 1;
        if (part.empty()) continue;
        std::string chosen = part;
        if (matching && part != "." && part != ".." && !exists(out + part)) {
            matching = false;
            if (DIR* dir = opendir(out.empty() ? "." : out.c_str())) {
                while (dirent* e = readdir(dir)) {
                    if (detail::equalNoCase(e->d_name, part)) {
                        chosen = e->d_name;
                        matching = true;
                        break;
                    }
                }
                closedir(dir);
            }
        }
        out += chosen;
        if (end < path.size()) out += '/';
    }
    return out;
}

DWORD missingFileError(const std::string& path) {
    const size_t cut = path.find_last_of('/');
    const std::string folder = cut == std::string::npos ? "." : path.substr(0, cut + 1);
    struct stat st;
    if (stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return ERROR_FILE_NOT_FOUND;
    return ERROR_PATH_NOT_FOUND;
}

DWORD errorFromErrno(int err, const std::string& path) {
    switch (err) {
        case ENOENT:
            return missingFileError(path);
        case ENOTDIR:
        case ENAMETOOLONG:
            return ERROR_PATH_NOT_FOUND;
        case EEXIST:
            return ERROR_FILE_EXISTS;
        case EMFILE:
        case ENFILE:
            return ERROR_TOO_MANY_OPEN_FILES;
        default:
            return ERROR_ACCESS_DENIED;
    }
}

// Another open of the same file refuses a share that this one needs, or this
// one refuses a share that another already uses.
bool sharingConflict(dev_t dev, ino_t ino, DWORD access, DWORD share) {
    for (const auto& f : live(fileObjects)) {
        if (f->dev != dev || f->ino != ino) continue;
        if ((access & GENERIC_READ) && !(f->share & FILE_SHARE_READ)) return true;
        if ((access & GENERIC_WRITE) && !(f->share & FILE_SHARE_WRITE)) return true;
        if ((f->access & GENERIC_READ) && !(share & FILE_SHARE_READ)) return true;
        if ((f->access & GENERIC_WRITE) && !(share & FILE_SHARE_WRITE)) return true;
    }
    return false;
}

std::shared_ptr<MappingObject> namedMapping(std::string_view name) {
    for (auto& m : live(mappingObjects)) {
        if (m->handles > 0 && m->name == name) return m;
    }
    return nullptr;
}

// What a handle to a mapping of this protection may do.
DWORD rightsFor(DWORD protect) {
    return protect == PAGE_READWRITE ? FILE_MAP_ALL_ACCESS : (FILE_MAP_READ | FILE_MAP_COPY);
}

}  // namespace

namespace detail {

void resetFiles() {
    for (auto& [base, view] : viewTable)
        if (view.mapped) munmap(reinterpret_cast<void*>(base), view.length);
    viewTable.clear();
    handleTable.clear();
    fileObjects.clear();
    mappingObjects.clear();
    nextHandle = 0x100;
}

}  // namespace detail

void setMappingListener(MappingListener listener) { mappingListener = listener; }

std::vector<MappingInfo> mappings() {
    std::vector<MappingInfo> out;
    for (const auto& m : live(mappingObjects)) {
        MappingInfo info{m->name, m->size, m->protect, m->file ? m->file->path : "", m->handles, 0};
        for (const auto& [b, v] : viewTable) info.views += v.mapping == m;
        out.push_back(info);
    }
    return out;
}

std::vector<FileInfo> openFiles() {
    const auto maps = live(mappingObjects);
    std::vector<FileInfo> out;
    for (const auto& f : live(fileObjects)) {
        FileInfo info{nullptr, f->path, f->access, f->share, 0};
        for (const auto& [h, e] : handleTable) {
            if (e.file == f) info.handle = reinterpret_cast<HANDLE>(h);
        }
        for (const auto& m : maps) info.mappings += m->file == f;
        out.push_back(info);
    }
    return out;
}

}  // namespace twplat

extern "C" {

HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                          LPSECURITY_ATTRIBUTES, DWORD dwCreationDisposition,
                          DWORD dwFlagsAndAttributes, HANDLE) {
    using namespace twplat;
    if (!lpFileName || !*lpFileName) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    int flags = 0;
    switch (dwCreationDisposition) {
        case CREATE_NEW:
            flags = O_CREAT | O_EXCL;
            break;
        case CREATE_ALWAYS:
            flags = O_CREAT | O_TRUNC;
            break;
        case OPEN_EXISTING:
            break;
        case OPEN_ALWAYS:
            flags = O_CREAT;
            break;
        case TRUNCATE_EXISTING:
            if (!(dwDesiredAccess & GENERIC_WRITE)) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return INVALID_HANDLE_VALUE;
            }
            flags = O_TRUNC;
            break;
        default:
            SetLastError(ERROR_INVALID_PARAMETER);
            return INVALID_HANDLE_VALUE;
    }
    const bool reading = dwDesiredAccess & GENERIC_READ;
    const bool writing = dwDesiredAccess & GENERIC_WRITE;
    flags |= reading && writing ? O_RDWR : writing ? O_WRONLY : O_RDONLY;
    flags |= O_CLOEXEC;

    const std::string path = hostPath(lpFileName);
    struct stat before;
    const bool existed = stat(path.c_str(), &before) == 0;
    if (existed && S_ISDIR(before.st_mode)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    // Checked before opening: a refused open must not truncate the file.
    if (existed && sharingConflict(before.st_dev, before.st_ino, dwDesiredAccess, dwShareMode)) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return INVALID_HANDLE_VALUE;
    }
    const mode_t mode = (dwFlagsAndAttributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
    const int fd = open(path.c_str(), flags, mode);
    if (fd < 0) {
        SetLastError(errorFromErrno(errno, path));
        return INVALID_HANDLE_VALUE;
    }
    struct stat st;
    fstat(fd, &st);
    auto file = std::make_shared<FileObject>();
    file->fd = fd;
    file->path = path;
    file->access = dwDesiredAccess;
    file->share = dwShareMode;
    file->dev = st.st_dev;
    file->ino = st.st_ino;
    fileObjects.push_back(file);
    const bool reported =
        existed && (dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == OPEN_ALWAYS);
    SetLastError(reported ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return newHandle({file, nullptr, dwDesiredAccess});
}

DWORD WINAPI GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh) {
    using namespace twplat;
    HandleEntry* e = findHandle(hFile);
    struct stat st;
    if (!e || !e->file || fstat(e->file->fd, &st) != 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_FILE_SIZE;
    }
    const auto size = static_cast<uint64_t>(st.st_size);
    if (lpFileSizeHigh) *lpFileSizeHigh = static_cast<DWORD>(size >> 32);
    // A low part of all ones is only an error when the last error says so.
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(size);
}

BOOL WINAPI CloseHandle(HANDLE hObject) {
    using namespace twplat;
    auto it = handleTable.find(reinterpret_cast<uintptr_t>(hObject));
    if (it == handleTable.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    // Held here until the listener has been told, which may unmap the last view.
    const std::shared_ptr<MappingObject> mapping = std::move(it->second.mapping);
    handleTable.erase(it);
    if (mapping && --mapping->handles == 0 && !mapping->name.empty() && mappingListener)
        mappingListener(mapping->name.c_str());
    return TRUE;
}

HANDLE WINAPI CreateFileMappingA(HANDLE hFile, LPSECURITY_ATTRIBUTES, DWORD flProtect,
                                 DWORD dwMaximumSizeHigh, DWORD dwMaximumSizeLow, LPCSTR lpName) {
    using namespace twplat;
    const DWORD protect = flProtect & 0xFF;
    if (protect != PAGE_READONLY && protect != PAGE_READWRITE && protect != PAGE_WRITECOPY) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const bool named = lpName && *lpName;
    // The same name gives a new handle to the object that is there, whatever
    // size and file this call asked for.
    if (named) {
        if (auto existing = namedMapping(lpName)) {
            HANDLE h = newHandle({nullptr, existing, rightsFor(existing->protect)});
            SetLastError(ERROR_ALREADY_EXISTS);
            return h;
        }
    }
    uint64_t size = (static_cast<uint64_t>(dwMaximumSizeHigh) << 32) | dwMaximumSizeLow;
    auto mapping = std::make_shared<MappingObject>();
    if (hFile == INVALID_HANDLE_VALUE) {
        if (size == 0) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        const int fd = anonymousFile();
        if (fd < 0 || size > static_cast<uint64_t>(SIZE_MAX) ||
            ftruncate(fd, static_cast<off_t>(size)) != 0) {
            if (fd >= 0) close(fd);
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
        mapping->memfd = fd;
    } else {
        HandleEntry* e = findHandle(hFile);
        if (!e || !e->file) {
            SetLastError(ERROR_INVALID_HANDLE);
            return nullptr;
        }
        const DWORD access = e->file->access;
        const DWORD needed =
            protect == PAGE_READWRITE ? (GENERIC_READ | GENERIC_WRITE) : GENERIC_READ;
        if ((access & needed) != needed) {
            SetLastError(ERROR_ACCESS_DENIED);
            return nullptr;
        }
        struct stat st;
        fstat(e->file->fd, &st);
        const auto fileSize = static_cast<uint64_t>(st.st_size);
        if (size == 0) {
            if (fileSize == 0) {
                SetLastError(ERROR_FILE_INVALID);
                return nullptr;
            }
            size = fileSize;
        } else if (size > fileSize) {
            // Only a writable mapping may grow its file to the size asked for.
            if (protect != PAGE_READWRITE ||
                ftruncate(e->file->fd, static_cast<off_t>(size)) != 0) {
                SetLastError(ERROR_NOT_ENOUGH_MEMORY);
                return nullptr;
            }
        }
        mapping->file = e->file;
    }
    mapping->name = named ? lpName : "";
    mapping->size = size;
    mapping->protect = protect;
    mappingObjects.push_back(mapping);
    SetLastError(ERROR_SUCCESS);
    return newHandle({nullptr, mapping, rightsFor(protect)});
}

HANDLE WINAPI OpenFileMappingA(DWORD dwDesiredAccess, BOOL, LPCSTR lpName) {
    using namespace twplat;
    if (!lpName || !*lpName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto mapping = namedMapping(lpName);
    if (!mapping) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    const DWORD wanted = dwDesiredAccess & (FILE_MAP_READ | FILE_MAP_WRITE | FILE_MAP_COPY);
    if ((wanted & ~rightsFor(mapping->protect)) != 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return newHandle({nullptr, mapping, dwDesiredAccess});
}

LPVOID WINAPI MapViewOfFile(HANDLE hFileMappingObject, DWORD dwDesiredAccess,
                            DWORD dwFileOffsetHigh, DWORD dwFileOffsetLow,
                            SIZE_T dwNumberOfBytesToMap) {
    using namespace twplat;
    if (detail::faultHits(Fault::MapView)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    HandleEntry* e = findHandle(hFileMappingObject);
    if (!e || !e->mapping) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    const auto& m = e->mapping;
    int prot = PROT_READ;
    int share = MAP_SHARED;
    if (dwDesiredAccess & FILE_MAP_WRITE) {
        // FILE_MAP_ALL_ACCESS carries the write right too.
        if (m->protect != PAGE_READWRITE || !(e->access & FILE_MAP_WRITE)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return nullptr;
        }
        prot |= PROT_WRITE;
    } else if (dwDesiredAccess & FILE_MAP_COPY) {
        prot |= PROT_WRITE;
        share = MAP_PRIVATE;
    } else if (dwDesiredAccess & FILE_MAP_READ) {
        if (!(e->access & (FILE_MAP_READ | FILE_MAP_WRITE))) {
            SetLastError(ERROR_ACCESS_DENIED);
            return nullptr;
        }
    } else {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const uint64_t offset = (static_cast<uint64_t>(dwFileOffsetHigh) << 32) | dwFileOffsetLow;
    if (offset % kAllocationGranularity != 0) {
        SetLastError(ERROR_MAPPED_ALIGNMENT);
        return nullptr;
    }
    if (offset >= m->size || dwNumberOfBytesToMap > m->size - offset) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    const auto length =
        static_cast<size_t>(dwNumberOfBytesToMap ? dwNumberOfBytesToMap : m->size - offset);
#if defined(__EMSCRIPTEN__)
    if (!m->file && share == MAP_SHARED) {
        if (m->memory.empty()) m->memory.assign(static_cast<size_t>(m->size), 0);
        void* window = m->memory.data() + offset;
        viewTable.emplace(reinterpret_cast<uintptr_t>(window), ViewEntry{m, length, false});
        return window;
    }
#endif
    void* base = mmap(nullptr, length, prot, share, m->fd(), static_cast<off_t>(offset));
    if (base == MAP_FAILED) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    viewTable.emplace(reinterpret_cast<uintptr_t>(base), ViewEntry{m, length});
    return base;
}

BOOL WINAPI UnmapViewOfFile(LPCVOID lpBaseAddress) {
    using namespace twplat;
    auto it = viewTable.find(reinterpret_cast<uintptr_t>(lpBaseAddress));
    if (it == viewTable.end()) {
        SetLastError(ERROR_INVALID_ADDRESS);
        return FALSE;
    }
    if (it->second.mapped) munmap(const_cast<void*>(lpBaseAddress), it->second.length);
    viewTable.erase(it);
    return TRUE;
}

}  // extern "C"
