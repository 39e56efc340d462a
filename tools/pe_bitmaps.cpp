// pe_bitmaps: checks that a Windows DLL carries every bitmap of the
// description table, at its size and depth, by reading the DLL's resource
// section as the Windows loader would.
//
//   pe_bitmaps DLL TABLE
//
// Prints one line per missing or mismatched bitmap and exits 1 if there is
// any; otherwise prints how many it found and exits 0.

#include <cctype>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tools/artwork_table.h"

namespace {

struct Image {
    std::vector<uint8_t> bytes;
    uint32_t rsrc_rva = 0, rsrc_raw = 0, rsrc_size = 0;

    uint32_t u32(size_t at) const {
        if (at + 4 > bytes.size()) throw std::runtime_error("truncated file");
        uint32_t v;
        std::memcpy(&v, bytes.data() + at, 4);
        return v;
    }
    uint16_t u16(size_t at) const {
        if (at + 2 > bytes.size()) throw std::runtime_error("truncated file");
        uint16_t v;
        std::memcpy(&v, bytes.data() + at, 2);
        return v;
    }
    // File offset of an address inside the resource section.
    size_t at(uint32_t rva) const {
        if (rva < rsrc_rva || rva - rsrc_rva >= rsrc_size)
            throw std::runtime_error("address outside .rsrc");
        return rsrc_raw + (rva - rsrc_rva);
    }
};

Image load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    Image img;
    img.bytes.assign(std::istreambuf_iterator<char>(in), {});
    if (img.u16(0) != 0x5A4D) throw std::runtime_error("not an MZ file");
    size_t pe = img.u32(0x3C);
    if (img.u32(pe) != 0x00004550) throw std::runtime_error("no PE header");
    uint16_t sections = img.u16(pe + 6);
    uint16_t optional_size = img.u16(pe + 20);
    size_t opt = pe + 24;
    bool pe32plus = img.u16(opt) == 0x20B;
    size_t dirs = opt + (pe32plus ? 112 : 96);
    uint32_t rva = img.u32(dirs + 2 * 8);  // data directory 2: resources
    size_t table = opt + optional_size;
    for (uint16_t i = 0; i < sections; ++i) {
        size_t s = table + 40 * i;
        uint32_t vaddr = img.u32(s + 12), vsize = img.u32(s + 8), raw = img.u32(s + 20),
                 rawsize = img.u32(s + 16);
        if (rva >= vaddr && rva < vaddr + std::max(vsize, rawsize)) {
            img.rsrc_rva = vaddr;
            img.rsrc_raw = raw;
            img.rsrc_size = std::min(std::max(vsize, rawsize), rawsize);
        }
    }
    if (!img.rsrc_size) throw std::runtime_error("no resource section");
    return img;
}

// Every RT_BITMAP resource: by number ("2384") or by name, its data.
std::map<std::string, std::vector<uint8_t>> bitmaps(const Image& img) {
    std::map<std::string, std::vector<uint8_t>> out;
    auto entries = [&](size_t dir, auto&& each) {
        uint16_t named = img.u16(dir + 12), ids = img.u16(dir + 14);
        for (uint32_t i = 0; i < static_cast<uint32_t>(named) + ids; ++i) {
            size_t e = dir + 16 + 8 * i;
            each(img.u32(e), img.u32(e + 4));
        }
    };
    size_t root = img.at(img.rsrc_rva);
    auto nameOf = [&](uint32_t id) {
        if (!(id & 0x80000000u)) return std::to_string(id);
        size_t s = img.rsrc_raw + (id & 0x7FFFFFFFu);
        uint16_t n = img.u16(s);
        std::string name;
        for (uint16_t k = 0; k < n; ++k)
            name +=
                static_cast<char>(std::toupper(static_cast<unsigned char>(img.u16(s + 2 + 2 * k))));
        return name;
    };
    entries(root, [&](uint32_t type, uint32_t off) {
        if (type != 2 || !(off & 0x80000000u)) return;
        entries(img.rsrc_raw + (off & 0x7FFFFFFFu), [&](uint32_t name, uint32_t off2) {
            if (!(off2 & 0x80000000u)) return;
            entries(img.rsrc_raw + (off2 & 0x7FFFFFFFu), [&](uint32_t, uint32_t leaf) {
                if (leaf & 0x80000000u) return;
                size_t d = img.rsrc_raw + leaf;
                size_t data = img.at(img.u32(d));
                uint32_t size = img.u32(d + 4);
                if (data + size > img.bytes.size())
                    throw std::runtime_error("resource past the file's end");
                out[nameOf(name)].assign(
                    img.bytes.begin() + static_cast<std::ptrdiff_t>(data),
                    img.bytes.begin() + static_cast<std::ptrdiff_t>(data + size));
            });
        });
    });
    return out;
}

int run(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: pe_bitmaps DLL TABLE\n";
        return 2;
    }
    auto found = bitmaps(load(argv[1]));
    int bad = 0;
    auto rows = twart::readTable(argv[2]);
    for (const auto& r : rows) {
        std::string name = r.resourceName();
        for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        auto it = found.find(name);
        if (it == found.end()) {
            std::cout << "missing bitmap " << r.key << "\n";
            ++bad;
            continue;
        }
        const auto& b = it->second;
        int32_t w = 0, h = 0;
        uint16_t bpp = 0;
        if (b.size() >= 40) {
            std::memcpy(&w, b.data() + 4, 4);
            std::memcpy(&h, b.data() + 8, 4);
            std::memcpy(&bpp, b.data() + 14, 2);
        }
        if (w != r.width || (h < 0 ? -h : h) != r.height || bpp != r.bpp) {
            std::cout << "bitmap " << r.key << " is " << w << "x" << h << " at " << bpp
                      << " bits, want " << r.width << "x" << r.height << " at " << r.bpp << "\n";
            ++bad;
        }
    }
    if (bad) return 1;
    std::cout << rows.size() << " bitmaps at their sizes and depths\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const std::exception& e) {
        std::cerr << "pe_bitmaps: " << e.what() << "\n";
        return 1;
    }
}
