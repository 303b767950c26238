// The tags of a TIFF-based camera file read before LibRaw opens it: LibRaw
// gives no word of a filter array's colours other than red, green and blue.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace orvex_camera {

// A TIFF-based file's CFAPattern colours (0 red, 1 green, 2 blue, 3 cyan,
// 4 magenta, 5 yellow, 6 white), looked up in its directories and their
// sub-directories: LibRaw turns a C, M, Y pattern into red, green and blue
// indices without saying so. `at(offset, n)` reads n bytes or fewer.
template <typename At>
std::string CfaColours(At at) {
    const std::string head = at(0, 8);
    if (head.size() < 8 || (head.compare(0, 2, "II") != 0 && head.compare(0, 2, "MM") != 0))
        return "";
    const bool le = head[0] == 'I';
    auto num = [&](const std::string& s, size_t i, int n) {
        uint32_t v = 0;
        for (int k = 0; k < n; ++k)
            v |= uint32_t(uint8_t(s[i + size_t(k)])) << (8 * (le ? k : n - 1 - k));
        return v;
    };
    std::vector<uint32_t> dirs = {num(head, 4, 4)};
    for (size_t d = 0; d < dirs.size() && d < 16; ++d) {
        const std::string count = at(dirs[d], 2);
        if (count.size() < 2) continue;
        const uint32_t n = std::min<uint32_t>(num(count, 0, 2), 512);
        const std::string entries = at(dirs[d] + 2, n * 12);
        for (size_t e = 0; e + 12 <= entries.size(); e += 12) {
            const uint32_t tag = num(entries, e, 2), items = num(entries, e + 4, 4);
            const uint32_t value = num(entries, e + 8, 4);
            if (tag == 330)  // SubIFDs
                for (uint32_t i = 0; i < std::min<uint32_t>(items, 8); ++i) {
                    const std::string off =
                        items == 1 ? entries.substr(e + 8, 4) : at(value + 4 * i, 4);
                    if (off.size() == 4) dirs.push_back(num(off, 0, 4));
                }
            if (tag == 0x828e && items > 0 && items <= 64)
                return items <= 4 ? entries.substr(e + 8, items) : at(value, items);
        }
    }
    return "";
}

// Refuses a filter array with colours other than red, green and blue
// (CameraError naming `name`).
void CheckFilterColours(const std::string& colours, const std::string& name);

}  // namespace orvex_camera
