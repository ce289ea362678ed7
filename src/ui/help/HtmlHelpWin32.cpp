#include "ui/help/HtmlHelpWin32.h"

#include <windows.h>

namespace {
using HtmlHelpFn = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);
HMODULE g_library = nullptr;
HtmlHelpFn g_htmlHelp = nullptr;
} // namespace

bool HtmlHelpLoad() {
    if (g_htmlHelp) return true;
    g_library = LoadLibraryA("HHCTRL.OCX");
    if (g_library)
        g_htmlHelp = reinterpret_cast<HtmlHelpFn>(
            reinterpret_cast<void*>(GetProcAddress(g_library, "HtmlHelpA")));
    if (!g_htmlHelp) {
        if (g_library) FreeLibrary(g_library);
        g_library = nullptr;
        MessageBoxA(nullptr,
                    "Unable to view HTML help (*.chm). Update windows help system. Get new "
                    "\"HHCTRL.OCX\" library.",
                    "Warning!", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}

bool HtmlHelpLoaded() {
    return g_htmlHelp != nullptr;
}

bool HtmlHelpCall(std::uintptr_t ownerWindow, const char* file, unsigned command,
                  std::uintptr_t data) {
    if (!g_htmlHelp) return false;
    // Closing all windows returns no window; every other request returns the viewer's.
    const HWND shown =
        g_htmlHelp(reinterpret_cast<HWND>(ownerWindow), file, command, DWORD_PTR(data));
    return command == HelpCloseAll || shown != nullptr;
}

void HtmlHelpUnload() {
    if (!g_htmlHelp) return;
    g_htmlHelp(nullptr, nullptr, HelpCloseAll, 0);
    Sleep(100); // the viewer's own threads close its windows; let them finish first
    g_htmlHelp = nullptr;
    FreeLibrary(g_library);
    g_library = nullptr;
}
