// guarded.h --- runs one step a user asked for and shows its failure under the window's
// caption, so that an error ends the step and never the window.
#pragma once

#include "app/dialogs.h"

#include <exception>
#include <string>

namespace ui {

// Runs `step`; a failure is shown with its message. Returns whether the step went through.
template <class F> bool guarded(app::Dialogs& dialogs, const std::string& caption, F&& step) {
    try {
        step();
        return true;
    } catch (const std::exception& e) {
        dialogs.show_error(caption, e.what());
        return false;
    }
}

} // namespace ui
