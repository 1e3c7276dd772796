// desktop_open.cpp --- the desktop's opener started as a detached process.
#include "app/desktop_open.h"

#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <cstdlib>
#include <string_view>

namespace app {
namespace {

bool set(const char* name) {
    const char* v = std::getenv(name);
    return v && *v;
}

bool desktop_present() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && std::string_view(platform) == "offscreen") return false;
    return set("DISPLAY") || set("WAYLAND_DISPLAY");
}

} // namespace

bool open_with_desktop(const std::filesystem::path& file) {
    if (!desktop_present()) return false;
    const QString opener = QStandardPaths::findExecutable("xdg-open");
    if (opener.isEmpty()) return false;
    return QProcess::startDetached(opener, {QString::fromStdString(file.string())});
}

bool open_with_program(const std::string& program, const std::filesystem::path& file) {
    if (!desktop_present()) return false;
    return QProcess::startDetached(QString::fromStdString(program),
                                   {QString::fromStdString(file.string())});
}

} // namespace app
