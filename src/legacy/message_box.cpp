// The library's one user interface: a message box with its caption.
#include "orvex.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <cstdio>
#endif

namespace {
constexpr char kCaption[] = "OrvexScope";
}

extern "C" ORVEX_API int32_t ORVEX_CALL Orvex_ShowMSG(void* owner, const char* text) {
    if (text == nullptr) text = "";
#if defined(_WIN32)
    return MessageBoxA(static_cast<HWND>(owner), text, kCaption, MB_OK);
#else
    // No platform message box: the line on standard error stands in for it and
    // counts as acknowledged (IDOK) once it is written.
    (void)owner;
    if (std::fprintf(stderr, "%s: %s\n", kCaption, text) < 0) return 0;
    return std::fflush(stderr) == 0 ? 1 : 0;
#endif
}
