// window_placement.h --- a main window opens at a size that fits the screen and comes back
// where the user left it (app::Placement in the settings).
#pragma once

#include "app/settings_store.h"

#include <string>

class QWidget;

namespace ui {

// Places the top-level window: its stored placement under `name` where that fits the
// screen, else its present size (the size its constructor asked for) fitted to the
// screen. Its placement is stored again whenever it is hidden or closed. The store must
// outlive the window.
void keep_placement(QWidget& window, app::SettingsStore& store, const std::string& name);

} // namespace ui
