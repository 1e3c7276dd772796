#include "ui/read_only.h"

#include <QLineEdit>
#include <QPalette>

namespace ui {

QLineEdit* read_only(QLineEdit* edit, bool on) {
    edit->setReadOnly(on);
    if (on) {
        QPalette p = edit->palette();
        p.setColor(QPalette::Base, p.color(QPalette::Window));
        edit->setPalette(p);
    } else {
        edit->setPalette(QPalette()); // the inherited colours again
    }
    return edit;
}

} // namespace ui
