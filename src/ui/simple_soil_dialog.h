// simple_soil_dialog.h --- the simple soil description Tsimplesoilfrm ("simple soil
// description"): name, soil type, clay, silt and gravel of one profile. A thin view over
// params/simple_soil.
#pragma once

#include "app/dialogs.h"
#include "app/program_state.h"
#include "db/connection.h"

#include <QDialog>
#include <optional>
#include <string>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace ui {

class Tsimplesoilfrm : public QDialog {
    Q_OBJECT
public:
    Tsimplesoilfrm(const app::ProgramState& state, std::optional<db::Connection>& connection,
                   app::Dialogs& dialogs, QWidget* parent = nullptr);

    // The caller's use: the soil's name ("-?-" for a new soil), the dialog modal, the name
    // afterwards (the saved name; "-?-" after a cancelled new soil or a deletion).
    std::string edit_soil(const std::string& name);
    // The activation with a name, without the modal loop (for edit_soil and tests).
    void load(const std::string& name);

    // The buttons.
    void press_save();
    void press_esc();
    void press_delete();

    bool new_item() const { return new_item_; }
    QLineEdit* name_field() const { return name_; }
    QComboBox* soil_type() const { return soil_type_; }
    QLineEdit* clay_field() const { return clay_; }
    QLineEdit* silt_field() const { return silt_; }
    QLineEdit* gravel_field() const { return gravel_; }
    QPushButton* button(int i) const { return buttons_[i]; } // 0 save, 1 esc, 2 delete
    // Whether a control is shown as offending (after an incomplete save).
    static bool highlighted(const QWidget* w);

protected:
    // Closing without saving: a new soil leaves "-?-" in the name field.
    void reject() override;

private:
    void highlight(QWidget* w, bool on);
    void apply_language(bool german);

    const app::ProgramState& state_;
    std::optional<db::Connection>& connection_;
    app::Dialogs& dialogs_;
    bool new_item_ = false;
    QLineEdit* name_ = nullptr;
    QComboBox* soil_type_ = nullptr;
    QLineEdit* clay_ = nullptr;
    QLineEdit* silt_ = nullptr;
    QLineEdit* gravel_ = nullptr;
    QPushButton* buttons_[3] = {};
};

} // namespace ui
