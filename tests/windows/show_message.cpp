// Shows the library's message box through the DLL export and exits with the
// box's result, so a script can press OK and check what came back.
#include <windows.h>

#include <cstdint>

int main() {
    HMODULE dll = LoadLibraryA("orvex.dll");
    if (dll == nullptr) return 100;
    FARPROC proc = GetProcAddress(dll, "_Orvex_ShowMSG@8");
    if (proc == nullptr) return 101;
    const auto show = reinterpret_cast<int32_t(__stdcall*)(void*, const char*)>(
        reinterpret_cast<void (*)()>(proc));
    return show(nullptr, "Camera connected");
}
