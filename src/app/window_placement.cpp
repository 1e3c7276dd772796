#include "app/window_placement.h"

#include <algorithm>
#include <charconv>

namespace app {

std::optional<Placement> parse_placement(const std::string& text) {
    int values[4] = {};
    const char* p = text.data();
    const char* end = text.data() + text.size();
    for (int i = 0; i < 4; ++i) {
        const auto [next, error] = std::from_chars(p, end, values[i]);
        if (error != std::errc{}) return std::nullopt;
        p = next;
        if (i < 3) {
            if (p == end || *p != ',') return std::nullopt;
            ++p;
        }
    }
    if (p != end || values[2] < 1 || values[3] < 1) return std::nullopt;
    return Placement{values[0], values[1], values[2], values[3]};
}

std::string format_placement(const Placement& p) {
    return std::to_string(p.x) + "," + std::to_string(p.y) + "," + std::to_string(p.width) + "," +
           std::to_string(p.height);
}

Placement first_placement(int width, int height, const Placement& screen) {
    // A window that takes the whole screen hides the others; 90 % leaves them a border.
    const int w = std::min(width, screen.width * 9 / 10);
    const int h = std::min(height, screen.height * 9 / 10);
    return {screen.x + (screen.width - w) / 2, screen.y + (screen.height - h) / 2, w, h};
}

Placement placement_for(const std::optional<Placement>& stored, int width, int height,
                        const Placement& screen) {
    if (stored && stored->x >= screen.x && stored->y >= screen.y &&
        stored->x + stored->width <= screen.x + screen.width &&
        stored->y + stored->height <= screen.y + screen.height)
        return *stored;
    return first_placement(width, height, screen);
}

std::string placement_key(const std::string& window) {
    return "window_" + window;
}

std::optional<Placement> read_placement(const SettingsStore& store, const std::string& window) {
    try {
        return parse_placement(store.read_string(placement_key(window)));
    } catch (const SettingsError&) {
        return std::nullopt;
    }
}

void write_placement(SettingsStore& store, const std::string& window, const Placement& p) {
    try {
        if (store.key_exists()) store.write_string(placement_key(window), format_placement(p));
    } catch (const SettingsError&) {
        // Not kept this time; the window opens at its first placement next time.
    }
}

} // namespace app
