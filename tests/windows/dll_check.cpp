// Loads orvex.dll as a 32-bit Windows host would, resolves every export by its
// decorated name and by ordinal, checks the descriptor layout, the queries,
// the size rule and the bytes of every method and the zoom.
#include <windows.h>

#include <cstddef>
#include <cstdio>

#include "dll_cases.h"

namespace {

const uint64_t kExpected[] = {
#include "expected_digests.inc"
};

int failures = 0;

void Expect(bool ok, const char* what) {
    if (!ok) {
        std::printf("FAILED: %s\n", what);
        ++failures;
    }
}

using Query = uint8_t(__stdcall*)(uint32_t);

// GetProcAddress hands back a generic routine; the export's own type is known.
template <class F>
F As(FARPROC p) {
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(p));
}

}  // namespace

int main() {
    HMODULE dll = LoadLibraryA("orvex.dll");
    if (dll == nullptr) {
        std::printf("FAILED: LoadLibraryA(orvex.dll), error %lu\n", GetLastError());
        return 1;
    }
    static const char* const kNames[8] = {"_Orvex_BayerToRgb@12",    "_Orvex_BayerZoomVert@12",
                                          "_Orvex_CalcImageSize@12", "_Orvex_ShowMSG@8",
                                          "_Orvex_is3Color@4",       "_Orvex_isBayer@4",
                                          "_Orvex_isColor@4",        "_Orvex_isMonochrome@4"};
    FARPROC procs[8];
    for (int i = 0; i < 8; ++i) {
        procs[i] = GetProcAddress(dll, kNames[i]);
        Expect(procs[i] != nullptr, kNames[i]);
        Expect(GetProcAddress(dll, MAKEINTRESOURCEA(i + 1)) == procs[i], "export by ordinal");
    }
    Expect(GetProcAddress(dll, "Orvex_BayerToRgb") == nullptr, "no undecorated export");
    Expect(GetProcAddress(dll, "Orvex_BayerToRgb@12") == nullptr, "no Name@N export");
    if (failures) return 1;

    Expect(sizeof(ImageDesc) == 32, "sizeof(ImageDesc) == 32");
    Expect(offsetof(ImageDesc, format) == 8 && offsetof(ImageDesc, width) == 12 &&
               offsetof(ImageDesc, height) == 16 && offsetof(ImageDesc, size) == 20 &&
               offsetof(ImageDesc, bitDepth) == 24 && offsetof(ImageDesc, bayerPattern) == 28,
           "ImageDesc offsets");

    const dllcases::Api api{
        As<int32_t(__stdcall*)(uint32_t, const ImageDesc*, ImageDesc*)>(procs[0]),
        As<int32_t(__stdcall*)(uint32_t, const ImageDesc*, const ImageDesc*)>(procs[1]),
        As<uint32_t(__stdcall*)(uint32_t, uint32_t, uint32_t)>(procs[2])};
    const auto is3Color = As<Query>(procs[4]);
    const auto isBayer = As<Query>(procs[5]);
    const auto isColor = As<Query>(procs[6]);
    const auto isMono = As<Query>(procs[7]);
    for (uint32_t f : {0u, 1u, 2u, 3u, 4u, 5u, 6u, 9u, 12u, 13u, 0xFFFFFFFFu}) {
        Expect(isMono(f) == (f == 2 || f == 3), "Orvex_isMonochrome");
        Expect(isBayer(f) == (f == 4 || f == 5), "Orvex_isBayer");
        Expect(isColor(f) == (f >= 4 && f <= 12), "Orvex_isColor");
        Expect(is3Color(f) == (f >= 6 && f <= 12), "Orvex_is3Color");
    }
    Expect(api.calcImageSize(RGB24, 640, 480) == 921600, "size rule RGB24");
    Expect(api.calcImageSize(PlanarRGB48, 640, 480) == 1843200, "size rule PlanarRGB48");
    Expect(api.calcImageSize(RGB48, 65536, 65536) == 0, "size rule wraps");
    Expect(api.calcImageSize(13, 640, 480) == 0, "size rule unknown format");

    size_t index = 0, count = sizeof kExpected / sizeof kExpected[0];
    dllcases::ForEachCase([&](const dllcases::Case& c) {
        if (index < count && dllcases::RunCase(api, c) != kExpected[index]) {
            std::printf("FAILED: case %u: %s %u, format %u -> %u, pattern %u, %ux%u\n",
                        unsigned(index), c.zoom ? "zoom mode" : "method", c.code, c.srcFormat,
                        c.dstFormat, c.pattern, c.width, c.height);
            ++failures;
        }
        ++index;
    });
    Expect(index == count, "as many cases as expected digests");
    std::printf("%u conversions checked, %d failures\n", unsigned(index), failures);
    FreeLibrary(dll);
    return failures == 0 ? 0 : 1;
}
