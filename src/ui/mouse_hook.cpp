// mouse_hook.cpp --- a mouse event of one widget handed to a function.
#include "ui/mouse_hook.h"

#include <QMouseEvent>
#include <QWidget>

namespace ui {
namespace {

class MouseHook : public QObject {
public:
    MouseHook(QWidget* widget, QEvent::Type type, Qt::MouseButton button, std::function<void()> f)
        : QObject(widget), type_(type), button_(button), f_(std::move(f)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == type_ && static_cast<QMouseEvent*>(event)->button() == button_) f_();
        return QObject::eventFilter(watched, event);
    }

private:
    QEvent::Type type_;
    Qt::MouseButton button_;
    std::function<void()> f_;
};

} // namespace

void on_mouse(QWidget* widget, QEvent::Type type, Qt::MouseButton button, std::function<void()> f) {
    auto* hook = new MouseHook(widget, type, button, std::move(f)); // owned by the widget
    widget->installEventFilter(hook);
}

} // namespace ui
