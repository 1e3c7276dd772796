// observation_entry_panel.h --- the group "edit data" beside the measurement list of the
// workbench: the measurement of the current row shown for overwriting, a new one typed for
// inserting, the initial value (unlocked by a Shift-click), deletion by button or Del key,
// and the list's context menu that shows one property only.
#pragma once

#include "ui/entry_panel_support.h"
#include "workbench/property_list.h"
#include "workbench/row_change.h"

#include <QCheckBox>
#include <QWidget>
#include <vector>

class QAction;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace ui {

// "initial value": a click changes it only once a Shift-click has unlocked it.
class InitialValueBox : public QCheckBox {
    Q_OBJECT
public:
    using QCheckBox::QCheckBox;
    bool unlocked() const { return unlocked_; }
    void lock() { unlocked_ = false; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void nextCheckState() override;

private:
    bool unlocked_ = false;
};

class ObservationEntryPanel : public QWidget {
    Q_OBJECT
public:
    ObservationEntryPanel(EntryPanelEnvironment env, QTableWidget* list, QWidget* parent = nullptr);

    void load_lists(db::Connection& conn);
    const workbench::PropertyList& properties() const { return properties_; }
    // The plot's rows as the list shows them (row r of the list is rows[r]).
    void set_rows(std::int64_t fl_id, std::vector<workbench::MeasurementRow> rows);

    QDateEdit* date() const { return date_; }
    QComboBox* property_list() const { return property_; }
    QLineEdit* value() const { return value_; }
    QLineEdit* variance() const { return variance_; }
    InitialValueBox* initial_value() const { return initial_; }
    QRadioButton* insert_mode() const { return insert_; }
    QRadioButton* overwrite_mode() const { return overwrite_; }
    QPushButton* save_button() const { return save_; }
    QPushButton* delete_button() const { return delete_; }
    QMenu* list_menu() const { return menu_; }
    QAction* property_filter_entry() const { return only_property_; }
    const workbench::MeasurementRow* current_row() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void row_changed();
    QString property_filter_caption(bool one_shown) const;
    void mode_changed();
    void save();
    void remove();
    void toggle_property_filter();
    void apply_filter();

    EntryPanelEnvironment env_;
    QTableWidget* list_;
    workbench::PropertyList properties_;
    std::int64_t fl_id_ = 0;
    std::vector<workbench::MeasurementRow> rows_;
    std::optional<std::int64_t> only_m_ix_; // the list shows this property only
    std::int64_t select_after_reload_ = -1; // the row to show after a write
    bool reselect_ = false;                 // else the row at the same position

    QDateEdit* date_ = nullptr;
    QComboBox* property_ = nullptr;
    QLabel* unit_ = nullptr;
    QLineEdit *value_ = nullptr, *variance_ = nullptr;
    InitialValueBox* initial_ = nullptr;
    QRadioButton *insert_ = nullptr, *overwrite_ = nullptr;
    QPushButton *save_ = nullptr, *delete_ = nullptr;
    QMenu* menu_ = nullptr;
    QAction* only_property_ = nullptr;
};

} // namespace ui
