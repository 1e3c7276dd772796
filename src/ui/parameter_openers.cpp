// parameter_openers.cpp --- the workbench's openers of the soil parameters.
#include "ui/parameter_openers.h"

#include "ui/parameter_editor_window.h"
#include "ui/simple_soil_dialog.h"
#include "ui/workbench_window.h"

#include <QComboBox>
#include <QPushButton>

namespace ui {
namespace {

// The soil list refilled, with the entry of that text selected when there is one.
void refill_soils(Trange_select& w, const QString& select) {
    w.refresh_soil_list();
    const int i = w.soil_list()->findText(select, Qt::MatchExactly);
    if (i >= 0) w.soil_list()->setCurrentIndex(i);
}

void open_editor_on_selected_soil(Trange_select& w, Tsrb_parms& editor) {
    const int i = w.soil_list()->currentIndex();
    const auto& soils = w.soils();
    const bool known = i > 0 && i < static_cast<int>(soils.size());
    editor.open_on_soil(known ? soils[static_cast<std::size_t>(i)].object : -1);
}

} // namespace

void connect_soil_openers(Trange_select& workbench, Tsrb_parms& editor,
                          Tsimplesoilfrm& simple_soil) {
    workbench.set_hook("soil label", [&editor, &simple_soil](Trange_select& w) {
        if (w.state().power) {
            open_editor_on_selected_soil(w, editor);
            return;
        }
        const std::string name = simple_soil.edit_soil(w.soil_list()->currentText().toStdString());
        refill_soils(w, QString::fromStdString(name));
        w.button("update changes")->click();
    });
    workbench.set_hook("soil list",
                       [&editor](Trange_select& w) { open_editor_on_selected_soil(w, editor); });
    editor.set_on_profiles_changed([&workbench] {
        if (workbench.soil_list()) refill_soils(workbench, workbench.soil_list()->currentText());
    });
}

} // namespace ui
