// read_only.h --- a field the user cannot change looks so: the window's background instead
// of the white of an input field.
#pragma once

class QLineEdit;

namespace ui {

// Makes the field read-only (or editable again) and paints it accordingly.
QLineEdit* read_only(QLineEdit* edit, bool on = true);

} // namespace ui
