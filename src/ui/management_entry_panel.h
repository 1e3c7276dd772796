// management_entry_panel.h --- the group "Management Event" beside the management list of
// the workbench: the event of the current row shown for overwriting, a new one typed for
// inserting, deletion of the current row, and the filters of the list.
#pragma once

#include "ui/entry_panel_support.h"
#include "workbench/action_list.h"
#include "workbench/item_lists.h"
#include "workbench/management_entry.h"
#include "workbench/management_list.h"

#include <QWidget>
#include <array>
#include <vector>

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace ui {

class ManagementEntryPanel : public QWidget {
    Q_OBJECT
public:
    // list: the management list it edits; share: the second value field (Edit2).
    ManagementEntryPanel(EntryPanelEnvironment env, QTableWidget* list, QLineEdit* share,
                         QWidget* parent = nullptr);

    // The actions and the items the form offers (the item lists' selection).
    void load_lists(db::Connection& conn, const workbench::ActionList& actions);
    // The plot's rows as the list shows them (row r of the list is rows[r]).
    void set_rows(std::int64_t fl_id, std::vector<workbench::ManagementRow> rows);
    // What a right press on the item list opens: the crop (kind 1) or amendment (kind 3)
    // view of the item. Without it the press says that the view is not there.
    void set_item_view(std::function<void(std::int64_t kind, std::int64_t item_ix)> open) {
        item_view_ = std::move(open);
    }

    QDateEdit* date() const { return date_; }
    QComboBox* action_list() const { return action_; }
    QComboBox* item_list() const { return item_; }
    QLineEdit* amount() const { return amount_; }
    QRadioButton* insert_mode() const { return insert_; }
    QRadioButton* overwrite_mode() const { return overwrite_; }
    QPushButton* save_button() const { return save_; }
    QPushButton* delete_button() const { return delete_; }
    QRadioButton* filter(workbench::EventFilter f) const {
        return filters_[static_cast<std::size_t>(f)];
    }
    QLabel* non_default() const { return non_default_; }
    const workbench::ManagementRow* current_row() const;
    void choose_action(std::int64_t code);
    void press_on_items(); // what a right press on the item list does

private:
    void row_changed();
    void show_choice(const workbench::ActionChoice& choice);
    void fill_items(std::optional<std::int64_t> kind);
    void select_item(std::int64_t key);
    void mode_changed();
    void save();
    void remove();
    void apply_filter();
    workbench::EventForm form() const;

    EntryPanelEnvironment env_;
    QTableWidget* list_;
    QLineEdit* share_;
    workbench::ActionList actions_;
    workbench::ItemList items_;
    std::int64_t fl_id_ = 0;
    std::vector<workbench::ManagementRow> rows_;
    std::int64_t select_after_reload_ = -1; // the row to show after a write
    bool reselect_ = false;                 // else the row at the same position
    std::optional<std::int64_t> item_kind_shown_;
    std::function<void(std::int64_t, std::int64_t)> item_view_;

    QDateEdit* date_ = nullptr;
    QComboBox* action_ = nullptr;
    QComboBox* item_ = nullptr;
    QLineEdit* amount_ = nullptr;
    QLabel *value_label_ = nullptr, *default_label_ = nullptr, *unit_label_ = nullptr,
           *non_default_ = nullptr;
    QRadioButton *insert_ = nullptr, *overwrite_ = nullptr;
    QPushButton *save_ = nullptr, *delete_ = nullptr;
    std::array<QRadioButton*, 5> filters_{};
};

} // namespace ui
