#include "tiff_memory.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace orvex_tool {
namespace {

tmsize_t ReadProc(thandle_t h, void* buf, tmsize_t n) {
    Memory& m = *static_cast<Memory*>(h);
    const uint64_t left = m.pos < m.size ? m.size - m.pos : 0;
    const uint64_t take = std::min<uint64_t>(left, uint64_t(n));
    if (take) std::memcpy(buf, m.data + m.pos, take);
    m.pos += take;
    return tmsize_t(take);
}

tmsize_t WriteProc(thandle_t h, void* buf, tmsize_t n) {
    Memory& m = *static_cast<Memory*>(h);
    if (!m.out) return -1;
    if (m.out->size() < m.pos + uint64_t(n)) m.out->resize(m.pos + n);
    std::memcpy(m.out->data() + m.pos, buf, n);
    m.pos += n;
    m.size = m.out->size();
    return n;
}

toff_t SeekProc(thandle_t h, toff_t off, int whence) {
    Memory& m = *static_cast<Memory*>(h);
    const uint64_t base = whence == SEEK_CUR ? m.pos : whence == SEEK_END ? m.size : 0;
    m.pos = base + off;
    return m.pos;
}

int CloseProc(thandle_t) {
    return 0;
}
toff_t SizeProc(thandle_t h) {
    return static_cast<Memory*>(h)->size;
}
int MapProc(thandle_t, void**, toff_t*) {
    return 0;
}
void UnmapProc(thandle_t, void*, toff_t) {}

int KeepMessage(TIFF*, void* user, const char*, const char* fmt, va_list args) {
    char buf[512];
    std::vsnprintf(buf, sizeof buf, fmt, args);
    static_cast<Memory*>(user)->message = buf;
    return 1;
}

int IgnoreWarning(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

}  // namespace

// Messages go to the handle's own Memory record, so threads never share one.
TiffOptions MessagesTo(Memory& m, uint64_t fileSize) {
    TiffOptions options(TIFFOpenOptionsAlloc(), TIFFOpenOptionsFree);
    // No one allocation of libtiff's may be far out of proportion to the file.
    if (fileSize)
        TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(),
                                            tmsize_t(64 << 20) + tmsize_t(fileSize) * 4);
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), KeepMessage, &m);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), IgnoreWarning, nullptr);
    return options;
}

Tiff OpenTiff(Memory& m, const std::string& name, const char* mode, uint64_t fileSize) {
    const TiffOptions options = MessagesTo(m, fileSize);
    return Tiff(TIFFClientOpenExt(name.c_str(), mode, &m, ReadProc, WriteProc, SeekProc, CloseProc,
                                  SizeProc, MapProc, UnmapProc, options.get()));
}

}  // namespace orvex_tool
