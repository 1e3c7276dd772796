#include "ui/window_placement.h"

#include "app/window_placement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace ui {
namespace {

app::Placement placement_of(const QRect& r) {
    return {r.x(), r.y(), r.width(), r.height()};
}

// Stores the window's placement when it is hidden (closing a window hides it).
class PlacementKeeper : public QObject {
public:
    PlacementKeeper(QWidget& window, app::SettingsStore& store, std::string name)
        : QObject(&window), window_(window), store_(store), name_(std::move(name)) {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &window_ && event->type() == QEvent::Hide)
            app::write_placement(store_, name_, placement_of(window_.geometry()));
        return false;
    }

private:
    QWidget& window_;
    app::SettingsStore& store_;
    std::string name_;
};

} // namespace

void keep_placement(QWidget& window, app::SettingsStore& store, const std::string& name) {
    QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (screen) {
        const QSize wanted = window.size().expandedTo(window.minimumSizeHint());
        const app::Placement p =
            app::placement_for(app::read_placement(store, name), wanted.width(), wanted.height(),
                               placement_of(screen->availableGeometry()));
        window.setGeometry(p.x, p.y, p.width, p.height);
    }
    new PlacementKeeper(window, store, name); // owned by the window
}

} // namespace ui
