// close_on_escape.h --- Esc closes a window as it closes a dialog.
#pragma once

class QWidget;

namespace ui {

// From now on an Esc key press that no control of the window takes (an open cell editor,
// an open list) closes the window. The filter is owned by the window.
void close_on_escape(QWidget* window);

} // namespace ui
