// regio_mode_dialog.h --- the dialog "change REGIO mode": whether the database is to have
// the structure of the regional mode (the share column of the management rows).
#pragma once

#include <QDialog>
#include <string>

class QCheckBox;
class QPushButton;

namespace ui {

// "change the structure" accepts, "escape: no changes" rejects. The box " set REGIO mode"
// holds the structure asked for.
class RegioModeDialog : public QDialog {
    Q_OBJECT
public:
    explicit RegioModeDialog(const std::string& language, QWidget* parent = nullptr);

    QCheckBox* regio_box() const { return regio_; }
    QPushButton* change_button() const { return change_; }
    QPushButton* escape_button() const { return escape_; }

private:
    QCheckBox* regio_;
    QPushButton* change_;
    QPushButton* escape_;
};

} // namespace ui
