#pragma once
// The Windows HTML-help viewer, loaded from its library at run time. Free of Qt so that it
// compiles (and is compile-checked) on its own.
#include <cstdint>

// HtmlHelp commands the program uses.
enum : unsigned {
    HelpDisplayTopic = 0x0000,
    HelpDisplayToc = 0x0001,
    HelpDisplayIndex = 0x0002,
    HelpHelpContext = 0x000F,
    HelpCloseAll = 0x0012,
};

// Loads the library and looks up its entry point. When the library is missing, tells the
// operator once in a warning box; the program then runs without help.
bool HtmlHelpLoad();
bool HtmlHelpLoaded();
// One request to the viewer; false when the library is not loaded or the call fails.
bool HtmlHelpCall(std::uintptr_t ownerWindow, const char* file, unsigned command,
                  std::uintptr_t data);
// Closes every help window, gives the viewer a moment to go, and releases the library.
void HtmlHelpUnload();
