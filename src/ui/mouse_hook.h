// mouse_hook.h --- a mouse event of one widget handed to a function.
#pragma once

#include <QEvent>
#include <functional>

class QWidget;

namespace ui {

// Calls `f` when the widget gets a mouse event of the type with the button; the event then
// goes on as usual.
void on_mouse(QWidget* widget, QEvent::Type type, Qt::MouseButton button, std::function<void()> f);

} // namespace ui
