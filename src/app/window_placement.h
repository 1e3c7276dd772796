// window_placement.h --- where a main window opens: a sensible first size for the
// screen it is on, and the size and position the user left it at, kept in the settings
// and used again only where they still fit the screen.
#pragma once

#include "app/settings_store.h"

#include <optional>
#include <string>

namespace app {

// A rectangle in screen pixels: left, top, width, height.
struct Placement {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const Placement&) const = default;
};

// "x,y,width,height"; nullopt for anything else or a size below 1.
std::optional<Placement> parse_placement(const std::string& text);
std::string format_placement(const Placement& p);

// The first placement of a window that would like `width` x `height`: that size where
// the screen (its available area) has room for it with a margin, else 90 % of the
// screen in each direction; centred on the screen.
Placement first_placement(int width, int height, const Placement& screen);

// The stored placement when it lies wholly on the screen, else the first placement.
Placement placement_for(const std::optional<Placement>& stored, int width, int height,
                        const Placement& screen);

// The settings value that keeps a window's placement, e.g. "window_workbench".
std::string placement_key(const std::string& window);

// Reads and writes a window's placement; a store that cannot be read or written is
// ignored (the placement is a convenience, never worth an error box).
std::optional<Placement> read_placement(const SettingsStore& store, const std::string& window);
void write_placement(SettingsStore& store, const std::string& window, const Placement& p);

} // namespace app
