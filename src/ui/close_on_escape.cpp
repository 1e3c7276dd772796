// close_on_escape.cpp --- the key filter behind close_on_escape.
#include "ui/close_on_escape.h"

#include <QEvent>
#include <QKeyEvent>
#include <QWidget>

namespace ui {
namespace {

// Sees the key presses the window's controls leave to the window.
class EscapeFilter : public QObject {
public:
    explicit EscapeFilter(QWidget* window) : QObject(window), window_(window) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != window_ || event->type() != QEvent::KeyPress) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Escape || key->modifiers() != Qt::NoModifier) return false;
        window_->close();
        return true;
    }

private:
    QWidget* window_;
};

} // namespace

void close_on_escape(QWidget* window) {
    window->installEventFilter(new EscapeFilter(window)); // the window owns the filter
}

} // namespace ui
