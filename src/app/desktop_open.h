// desktop_open.h --- opening a file with the desktop's default application.
#pragma once

#include <filesystem>
#include <string>

namespace app {

// Opens the file with the application the desktop associates with it (xdg-open), without
// waiting for it. Does nothing and returns false without a desktop: no display (neither
// DISPLAY nor WAYLAND_DISPLAY), the offscreen platform (QT_QPA_PLATFORM=offscreen), or no
// xdg-open on the PATH. Returns true when the opener was started.
bool open_with_desktop(const std::filesystem::path& file);

// Opens the file with the given program (a full path or a name on the PATH), without waiting
// for it; without a desktop, as above, nothing happens. Returns true when it was started.
bool open_with_program(const std::string& program, const std::filesystem::path& file);

} // namespace app
