// experiment_folders.cpp --- creating and deleting experiments.
#include "workbench/experiment_folders.h"

#include "app/datamodel.h"
#include "app/dialogs.h"
#include "db/connection.h"
#include "db/text.h"
#include "workbench/entry_checks.h"
#include "workbench/new_plot_row.h"
#include "workbench/node_labels.h"
#include "workbench/workbench_texts.h"

#include <vector>

namespace workbench {
namespace {

struct LocationPlots {
    std::vector<std::int64_t> ids;
    db::Value first_code; // versuch_code of the first plot
};

LocationPlots plots_of_location(db::Connection& conn, const std::string& location) {
    LocationPlots plots;
    db::Statement q =
        conn.prepare(" select fl_id, versuch_code from field_description where  location=?");
    q.bind(1, location);
    while (q.step()) {
        if (plots.ids.empty()) plots.first_code = q.column(1);
        plots.ids.push_back(q.column(0).as_int());
    }
    return plots;
}

} // namespace

std::int64_t next_experiment_code(db::Connection& conn) {
    return app::get_key(conn, "experiments", "exp_id");
}

std::int64_t create_experiment(db::Connection& conn, std::int64_t code, const std::string& name) {
    if (db::trim(name).empty())
        throw EntryRefused("short name", "a new experiment needs a name; nothing was written");
    db::Transaction t(conn);
    conn.prepare("insert into experiments (vcode, exp_id, location) values (?, ?, ?)")
        .execute({std::to_string(code), code, name});
    NewPlotRow plot;
    plot.fl_id = app::get_key(conn, "field_description", "fl_id");
    plot.location = name;
    plot.herkunft = "??";
    plot.versuch_code = std::to_string(code);
    append_plot_row(conn, plot);
    t.commit();
    return plot.fl_id;
}

bool delete_experiment(db::Connection& conn, app::Dialogs& dialogs, const std::string& language,
                       const std::string& node_label) {
    if (!dialogs.ask_yes_no(confirm_caption(language), node_label + ui_text(20, language)))
        return false;
    db::Transaction t(conn);
    const LocationPlots plots = plots_of_location(conn, get_location(node_label));
    if (!plots.ids.empty())
        conn.prepare(" delete from experiments where vcode=?").execute({plots.first_code});
    db::Statement measurements = conn.prepare(" delete from measurements where fl_id=?");
    db::Statement cultivation = conn.prepare(" delete from cultivation where fl_id=?");
    db::Statement state = conn.prepare(" delete from site_state where fl_id=?");
    db::Statement plot = conn.prepare(" delete from field_description where fl_id=?");
    for (std::int64_t id : plots.ids)
        for (db::Statement* s : {&measurements, &cultivation, &state, &plot}) s->execute({id});
    t.commit();
    return true;
}

} // namespace workbench
