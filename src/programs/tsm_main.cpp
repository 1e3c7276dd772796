// tsm: the windowed workbench.
#include "app/launcher.h"
#include "app/settings_store.h"
#include "import/access_offer.h"
#include "sim/run_steps.h"
#include "stats/outlier_indication.h"
#include "ui/busy_cursor.h"
#include "ui/climate_editor_window.h"
#include "ui/confirm_dialog.h"
#include "ui/data_transfer_window.h"
#include "ui/launcher_window.h"
#include "ui/parameter_editor_window.h"
#include "ui/parameter_openers.h"
#include "ui/qt_dialogs.h"
#include "ui/report_actions.h"
#include "ui/result_pages.h"
#include "ui/settings_window.h"
#include "ui/simple_soil_dialog.h"
#include "ui/simulator_window.h"
#include "ui/sql_module_window.h"
#include "ui/window_placement.h"
#include "ui/workbench_connections.h"
#include "ui/workbench_window.h"

#include <QApplication>
#include <QComboBox>
#include <QMessageBox>
#include <filesystem>
#include <utility>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName("tsm");
    QApplication::setStyle("Fusion");
    ui::QtDialogs dialogs;
    try {
        std::vector<std::string> args(argv + 1, argv + argc);
        auto store = app::open_user_settings();
        const std::filesystem::path dir = QCoreApplication::applicationDirPath().toStdString();
        app::StartupContext context = app::startup_context(args, dir);
        context.convert_access = import::offer_access_conversion;
        app::Launcher launcher(*store, dialogs, std::move(context));
        launcher.create();
        ui::Tsrb_UIF window(launcher, dialogs);
        dialogs.set_parent(&window);
        ui::ConfirmingDialogs confirming(dialogs, &window);
        ui::Tfrm_tsmsetting settings_window(
            launcher.settings, [&] { return &launcher.connection(); }, confirming, &window);
        window.set_window_opener("settings", [&] { settings_window.exec(); });
        window.set_window_opener("outlier", [&] {
            if (!launcher.connected()) return; // nothing to mark without a database
            ui::BusyCursor busy;
            stats::prepare_outlier_indication(launcher.connection());
        });
        sim::Simulator simulator;
        ui::TtsmadoForm1 simulator_window(simulator,
                                          {args, *store, launcher.settings, launcher.state,
                                           confirming, launcher.link.connection,
                                           std::filesystem::current_path().string()},
                                          sim::standard_run_steps(store.get()));
        window.set_window_opener("simulator", [&] {
            simulator.database = launcher.view.simulator_database;
            simulator.methode = launcher.state.methode;
            simulator_window.show_and_wait();
        });
        ui::Trange_select workbench_window(
            {launcher.state, launcher.link.connection, *store, confirming});
        ui::ResultPages& result_pages = ui::install_result_pages(workbench_window);
        ui::install_report_actions(workbench_window, result_pages, *store);
        ui::connect_workbench(
            workbench_window, simulator_window,
            {launcher.link.connection,
             confirming,
             ui::qt_workbench_questions(&workbench_window),
             {},
             [&](sim::Simulator& s) { s.database = launcher.view.simulator_database; }});
        ui::Ttsm_clim climate_window(launcher.link.connection, confirming, launcher.state.language,
                                     &window);
        climate_window.set_stations_changed([&] {
            const std::string chosen = workbench_window.weather_list()->currentText().toStdString();
            ui::choose_station(workbench_window, chosen);
        });
        window.set_window_opener("climate", [&] { ui::open_from_launcher(climate_window); });
        workbench_window.set_hook(
            "weather", [&](ui::Trange_select& w) { ui::edit_plot_station(w, climate_window); });
        ui::Tsrb_parms parameter_editor({launcher.state, launcher.link.connection, confirming},
                                        &window);
        ui::Tsimplesoilfrm simple_soil(launcher.state, launcher.link.connection, confirming,
                                       &window);
        window.set_window_opener("parameters", [&] {
            if (!launcher.connected()) return;
            parameter_editor.set_table_list(launcher.connection().tables());
            parameter_editor.open_from_launcher();
        });
        ui::connect_soil_openers(workbench_window, parameter_editor, simple_soil);
        window.set_window_opener("plot_selection", [&] {
            workbench_window.show();
            workbench_window.raise();
            workbench_window.activateWindow();
        });
        ui::Tsql_form sql_window(launcher.link.connection, confirming, launcher.state.language);
        window.set_window_opener("sql_module", [&] {
            sql_window.show();
            sql_window.raise();
            sql_window.activateWindow();
        });
        ui::Tfrmbdedatatrans transfer_window(launcher.link.connection, confirming,
                                             launcher.state.language);
        window.set_window_opener("data_transfer", [&] {
            transfer_window.show();
            transfer_window.raise();
            transfer_window.activateWindow();
        });
        // Each main window opens where the user left it, else at a size fitting the screen.
        for (auto [w, name] : {std::pair<QWidget*, const char*>{&window, "launcher"},
                               {&workbench_window, "workbench"},
                               {&simulator_window, "simulator"},
                               {&climate_window, "climate"},
                               {&sql_window, "sql_module"},
                               {&transfer_window, "data_transfer"}})
            ui::keep_placement(*w, *store, name);
        window.show();
        return QApplication::exec();
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, "tsm", QString::fromStdString(e.what()));
        return 1;
    }
}
