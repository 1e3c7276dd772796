// data_entry_window_test.cpp --- the edit forms of the workbench's Management and
// Observation pages on the demo database: rows entered, overwritten and deleted, refusals
// that write nothing, the initial value, the filters.
#include "app/settings_store.h"
#include "db/new_database.h"
#include "scripted_dialogs.h"
#include "test_support.h"
#include "ui/management_entry_panel.h"
#include "ui/observation_entry_panel.h"
#include "ui/parameter_views.h"
#include "ui/raw_table_panel.h"
#include "ui/workbench_tree_widget.h"
#include "ui/workbench_window.h"
#include "workbench/workbench_texts.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <gtest/gtest.h>
#include <memory>

namespace {

using ui::Trange_select;
using workbench::EventFilter;

class DataEntryWindowTest : public testing::Test {
protected:
    DataEntryWindowTest() {
        connection.emplace(db::create_experiment_database(dir / "demo.db", true));
        state.db_f_name = (dir / "demo.db").string();
        state.modus = "TSM";
        state.methode = "TSM";
    }

    Trange_select& open(const std::string& language = "E") {
        state.language = language;
        state.power = language != "D";
        window = std::make_unique<Trange_select>(
            ui::WorkbenchEnvironment{state, connection, settings, dialogs});
        window->resize(1100, 700);
        window->show();
        window->activate();
        return *window;
    }
    void click_plot(std::int64_t id) {
        for (QTreeWidgetItemIterator it(window->tree()); *it; ++it)
            if (const auto* r = Trange_select::record_of(*it); r && r->snr == id) {
                window->press_item(*it, Qt::LeftButton);
                return;
            }
        ADD_FAILURE() << "no plot " << id;
    }
    ui::ManagementEntryPanel& management() { return *window->management_entry(); }
    ui::ObservationEntryPanel& observation() { return *window->observation_entry(); }
    std::string query(const std::string& q) { return test::rows(*connection, q); }
    std::string all_entries() {
        return query("select * from cultivation order by cultivation_id") +
               query("select * from measurements order by meas_id") +
               query("select * from field_description order by fl_id");
    }

    // The slurry event of the management form: 15.04.2021, 12,5 dt/ha cattle slurry.
    void type_slurry(const QString& amount = "12,5") {
        ui::ManagementEntryPanel& m = management();
        m.insert_mode()->setChecked(true);
        m.choose_action(3);
        m.date()->setDate(QDate(2021, 4, 15));
        m.item_list()->setCurrentIndex(
            m.item_list()->findData(QVariant::fromValue<qlonglong>(300102)));
        m.amount()->setText(amount);
    }
    void type_measurement(int property, const QDate& date, const QString& value) {
        ui::ObservationEntryPanel& o = observation();
        o.insert_mode()->setChecked(true);
        o.date()->setDate(date);
        o.property_list()->setCurrentIndex(
            o.property_list()->findData(QVariant::fromValue<qlonglong>(property)));
        o.value()->setText(value);
        o.variance()->clear();
    }
    void shift_click(QWidget* w) {
        QApplication::processEvents();          // lays the shown page out
        const QPointF at(8, w->height() / 2.0); // on the box, not beside its text
        QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::ShiftModifier);
        QApplication::sendEvent(w, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton,
                            Qt::NoButton, Qt::ShiftModifier);
        QApplication::sendEvent(w, &release);
    }
    // The shown rows of a list, first column, joined.
    static std::string shown(QTableWidget* grid, int column) {
        std::string s;
        for (int r = 0; r < grid->rowCount(); ++r)
            if (!grid->isRowHidden(r)) s += grid->item(r, column)->text().toStdString() + ",";
        return s;
    }

    test::TempDir dir;
    std::optional<db::Connection> connection;
    app::ProgramState state;
    app::MemorySettingsStore settings;
    test::ScriptedDialogs dialogs;
    std::unique_ptr<Trange_select> window;
};

TEST_F(DataEntryWindowTest, EntersOverwritesAndDeletesAManagementEvent) {
    open();
    click_plot(101);
    window->pages()->setCurrentIndex(ui::page::management);
    ui::ManagementEntryPanel& m = management();
    const std::string rows_before = query("select count(*) from cultivation where fl_id=101");

    type_slurry();
    EXPECT_EQ(m.save_button()->text(), "insert");
    m.save_button()->click();
    EXPECT_TRUE(dialogs.shown.empty()) << dialogs.shown.front();
    const std::string id = query("select max(cultivation_id) from cultivation");
    EXPECT_EQ(query("select fl_id, year, month, day, macode, item_ix, quantity from cultivation "
                    "where cultivation_id=" +
                    id),
              "101|2021|4|15|3|102|12.5\n");
    // The plot is shown again on the same page, on the new row, ready to overwrite it.
    EXPECT_EQ(window->pages()->currentIndex(), ui::page::management);
    ASSERT_TRUE(m.current_row());
    EXPECT_EQ(std::to_string(m.current_row()->cultivation_id) + "\n", id);
    EXPECT_EQ(m.amount()->text(), "12.5");
    EXPECT_EQ(m.item_list()->currentText(), "cattle slurry");

    m.overwrite_mode()->setChecked(true);
    EXPECT_EQ(m.save_button()->text(), "update");
    m.amount()->setText("20");
    m.save_button()->click();
    EXPECT_EQ(query("select quantity from cultivation where cultivation_id=" + id), "20\n");
    EXPECT_EQ(query("select count(*) from cultivation where fl_id=101"),
              std::to_string(std::stoi(rows_before) + 1) + "\n");
    EXPECT_TRUE(m.overwrite_mode()->isChecked());

    // The same event once more is asked about; No writes nothing.
    type_slurry();
    m.save_button()->click();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_NE(dialogs.shown[0].find("already"), std::string::npos) << dialogs.shown[0];
    EXPECT_EQ(query("select count(*) from cultivation where fl_id=101"),
              std::to_string(std::stoi(rows_before) + 1) + "\n");

    // Deleting asks first; No keeps the row.
    dialogs.shown.clear();
    m.delete_button()->click();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].rfind(workbench::confirm_caption("E") + ": Delete the event", 0), 0u)
        << dialogs.shown[0];
    EXPECT_EQ(query("select count(*) from cultivation where cultivation_id=" + id), "1\n");
    dialogs.yes_no = {true};
    m.delete_button()->click();
    EXPECT_EQ(query("select count(*) from cultivation where cultivation_id=" + id), "0\n");
}

TEST_F(DataEntryWindowTest, RefusedEventsNameTheFieldAndWriteNothing) {
    open();
    click_plot(101);
    ui::ManagementEntryPanel& m = management();
    struct Case {
        QString amount;
        std::int64_t item_key;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"1+1", 300102, "Management Event: amount: \"1+1\" is not a number"},
        {"", 300102, "Management Event: amount: enter a value"},
        {"12,5", -1, "Management Event: item: choose an item"},
    };
    const std::string before = all_entries();
    for (const Case& k : cases) {
        dialogs.shown.clear();
        type_slurry(k.amount);
        m.item_list()->setCurrentIndex(
            m.item_list()->findData(QVariant::fromValue<qlonglong>(k.item_key)));
        m.save_button()->click();
        ASSERT_EQ(dialogs.shown.size(), 1u) << k.message;
        EXPECT_EQ(dialogs.shown[0].rfind(k.message, 0), 0u) << dialogs.shown[0];
    }
    EXPECT_EQ(all_entries(), before);
}

TEST_F(DataEntryWindowTest, FiltersAndButtonsWithoutARow) {
    open();
    click_plot(101);
    ui::ManagementEntryPanel& m = management();
    // A tillage event: the item list is hidden, the depth is the amount.
    m.insert_mode()->setChecked(true);
    m.choose_action(5);
    EXPECT_TRUE(m.item_list()->isHidden());
    m.date()->setDate(QDate(2021, 9, 20));
    m.amount()->setText("25");
    m.save_button()->click();
    EXPECT_TRUE(dialogs.shown.empty()) << dialogs.shown.front();
    EXPECT_EQ(query("select item_ix, quantity from cultivation where fl_id=101 and macode=5"),
              "-99|25\n");

    QTableWidget* list = window->management_grid();
    struct Case {
        EventFilter filter;
        std::string actions; // of the shown rows
    };
    for (const Case& k : {Case{EventFilter::tillage, "soil tillage,"},
                          Case{EventFilter::amendment, ""}}) { // plot 101 gets no amendment
        m.filter(k.filter)->setChecked(true);
        EXPECT_EQ(shown(list, 3), k.actions);
    }
    m.filter(EventFilter::harvest)->setChecked(true);
    for (int r = 0; r < list->rowCount(); ++r) {
        if (!list->isRowHidden(r)) {
            EXPECT_EQ(list->item(r, 3)->text().left(7), "harvest") << r;
        }
    }
    // No row chosen: nothing to overwrite or delete.
    list->setCurrentCell(-1, -1);
    EXPECT_FALSE(m.current_row());
    EXPECT_FALSE(m.delete_button()->isEnabled());
    EXPECT_FALSE(m.overwrite_mode()->isEnabled());
    EXPECT_TRUE(m.insert_mode()->isChecked());
}

TEST_F(DataEntryWindowTest, RightPressOnTheItemListOpensTheItemsView) {
    open();
    click_plot(101);
    type_slurry();
    management().press_on_items();
    EXPECT_TRUE(dialogs.shown.empty());
    ui::TFOM_parm* view = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* v = qobject_cast<ui::TFOM_parm*>(w); v && v->isVisible()) view = v;
    ASSERT_NE(view, nullptr);
    EXPECT_GT(view->tree()->topLevelItemCount(), 0);
    view->close();
    std::pair<std::int64_t, std::int64_t> opened;
    management().set_item_view([&](std::int64_t kind, std::int64_t ix) { opened = {kind, ix}; });
    management().press_on_items();
    EXPECT_EQ(opened, (std::pair<std::int64_t, std::int64_t>{3, 102}));
}

TEST_F(DataEntryWindowTest, EntersOverwritesAndDeletesAMeasurement) {
    open();
    click_plot(101);
    window->pages()->setCurrentIndex(ui::page::observation);
    ui::ObservationEntryPanel& o = observation();
    EXPECT_EQ(window->measurement_grid()->item(0, 4)->text(), "total nitrogen");

    type_measurement(7, QDate(2016, 9, 1), "1,25");
    o.save_button()->click();
    EXPECT_TRUE(dialogs.shown.empty()) << dialogs.shown.front();
    const std::string id = query("select max(meas_id) from measurements");
    EXPECT_EQ(query("select fl_id, m_ix, meas_value, vrnz, year, month, day, year_number from "
                    "measurements where meas_id=" +
                    id),
              "101|7|1.25|NULL|2016|9|1|47\n");
    ASSERT_TRUE(o.current_row());
    EXPECT_EQ(std::to_string(o.current_row()->meas_id) + "\n", id);

    o.overwrite_mode()->setChecked(true);
    o.value()->setText("1.3");
    o.variance()->setText("0,01");
    o.save_button()->click();
    EXPECT_EQ(query("select meas_value, vrnz from measurements where meas_id=" + id), "1.3|0.01\n");

    // Refusals name the field and write nothing.
    const std::string before = all_entries();
    for (auto [value, message] :
         {std::pair<QString, std::string>{"", "edit data: value: enter a value"},
          {"1+1", "edit data: value: \"1+1\" is not a number"}}) {
        dialogs.shown.clear();
        type_measurement(7, QDate(2017, 9, 1), value);
        o.save_button()->click();
        ASSERT_EQ(dialogs.shown.size(), 1u);
        EXPECT_EQ(dialogs.shown[0].rfind(message, 0), 0u) << dialogs.shown[0];
    }
    EXPECT_EQ(all_entries(), before);

    // The Del key asks before it deletes.
    dialogs.shown.clear();
    dialogs.yes_no = {true};
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QApplication::sendEvent(window->measurement_grid(), &del);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(query("select count(*) from measurements where meas_id=" + id), "0\n");
}

TEST_F(DataEntryWindowTest, InitialValueRenumbersThePlot) {
    open();
    click_plot(101);
    window->pages()->setCurrentIndex(ui::page::observation);
    ui::ObservationEntryPanel& o = observation();
    type_measurement(7, QDate(1975, 5, 1), "1,1");
    // A plain click does not tick the box; a Shift-click unlocks it.
    o.initial_value()->setChecked(false);
    o.initial_value()->click();
    EXPECT_FALSE(o.initial_value()->isChecked());
    shift_click(o.initial_value());
    EXPECT_TRUE(o.initial_value()->isChecked());
    o.save_button()->click();
    EXPECT_TRUE(dialogs.shown.empty()) << dialogs.shown.front();
    EXPECT_FALSE(o.initial_value()->unlocked()); // the new row shows it ticked, locked again
    EXPECT_EQ(window->field("Edit4")->text(), "1975");
    EXPECT_EQ(query("select year, year_number from measurements where fl_id=101 and m_ix=7 "
                    "and year<=1978 order by year"),
              "1970|-99\n1974|-99\n1975|0\n1978|4\n");

    // Deleting the initial value warns that the plot can no longer be run.
    ASSERT_TRUE(o.current_row());
    ASSERT_EQ(o.current_row()->year_number, 0);
    dialogs.shown.clear();
    o.delete_button()->click();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_NE(dialogs.shown[0].find("initial value"), std::string::npos) << dialogs.shown[0];

    // A plot without an initial value takes no other measurement.
    connection->execute("delete from measurements where fl_id=102 and year_number=0");
    click_plot(102);
    const std::string before = all_entries();
    dialogs.shown.clear();
    type_measurement(3, QDate(1990, 5, 1), "40");
    o.save_button()->click();
    EXPECT_EQ(dialogs.shown, std::vector<std::string>{workbench::ui_text(23, "E") + ": " +
                                                      workbench::ui_text(22, "E")});
    EXPECT_EQ(all_entries(), before);
}

TEST_F(DataEntryWindowTest, PropertyFilterOfTheMeasurementList) {
    open();
    click_plot(101);
    ui::ObservationEntryPanel& o = observation();
    QTableWidget* list = window->measurement_grid();
    list->setCurrentCell(1, 0); // organic carbon, initial value
    EXPECT_EQ(list->item(1, 4)->text(), "organic carbon");
    EXPECT_TRUE(o.initial_value()->isChecked());
    o.property_filter_entry()->trigger();
    EXPECT_EQ(o.property_filter_entry()->text(), "&show all properties");
    std::string names = shown(list, 4);
    EXPECT_EQ(names.find("total nitrogen"), std::string::npos);
    EXPECT_NE(names.find("organic carbon"), std::string::npos);
    o.property_filter_entry()->trigger();
    EXPECT_EQ(o.property_filter_entry()->text(), "&show this property only");
    EXPECT_NE(shown(list, 4).find("total nitrogen"), std::string::npos);
}

TEST_F(DataEntryWindowTest, RawTablePanelFollowsThePlotGrid) {
    open();
    for (QTreeWidgetItemIterator it(window->tree()); *it; ++it)
        if ((*it)->text(0) == "files") {
            window->press_item(*it, Qt::LeftButton);
            break;
        }
    ASSERT_EQ(window->front_panel(), window->table_panel());
    ui::RawTablePanel& raw = *window->raw_rows();
    window->raw_grid()->setCurrentCell(1, 0); // plot 102
    ASSERT_EQ(raw.plot(), 102);
    const int events = raw.management_rows()->rowCount();
    EXPECT_EQ(std::to_string(events) + "\n",
              query("select count(*) from cultivation where fl_id=102"));

    // The condition applies to the grid in front, the same when applied again.
    raw.condition()->setText("macode=4");
    for (int i = 0; i < 2; ++i) {
        raw.apply_filter()->setChecked(false);
        raw.apply_filter()->setChecked(true);
        EXPECT_EQ(std::to_string(raw.management_rows()->rowCount()) + "\n",
                  query("select count(*) from cultivation where fl_id=102 and macode=4"));
    }
    raw.condition()->setText("macode=");
    raw.apply_filter()->setChecked(false);
    raw.apply_filter()->setChecked(true);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].rfind("filter condition: filter condition: \"macode=\"", 0), 0u)
        << dialogs.shown[0];

    // New rows stay on the plot of the grid.
    raw.apply_filter()->setChecked(false);
    raw.management_rows()->setCurrentCell(0, 0);
    raw.new_row_button()->click();
    raw.new_row_button()->click();
    EXPECT_EQ(raw.management_rows()->rowCount(), events + 2);
    EXPECT_EQ(
        query("select fl_id from cultivation where cultivation_id > (select max(cultivation_id) "
              "from cultivation) - 2"),
        "102\n102\n");
}

TEST_F(DataEntryWindowTest, GermanCaptions) {
    open("D");
    click_plot(101);
    EXPECT_EQ(management().filter(EventFilter::tillage)->text(), "Bodenbearbeitung");
    EXPECT_EQ(management().filter(EventFilter::fertiliser)->text(), "min.N-Dng.");
    EXPECT_EQ(management().delete_button()->text(), "Satz &Löschen");
    EXPECT_EQ(observation().initial_value()->text(), "als Startwert");
    EXPECT_EQ(observation().insert_mode()->text(), "Messwert einfügen");
}

} // namespace
