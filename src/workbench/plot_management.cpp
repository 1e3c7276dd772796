// plot_management.cpp --- adding, copying, moving and deleting plots.
#include "workbench/plot_management.h"

#include "app/datamodel.h"
#include "app/dialogs.h"
#include "db/connection.h"
#include "db/db_error.h"
#include "workbench/new_plot_row.h"
#include "workbench/workbench_texts.h"

#include <array>

namespace workbench {
namespace {

const char* const copy_site =
    "INSERT INTO field_description ( Herkunft, soil_ID, climate_ID, Location, site_description, "
    "mw_BAT, classification, comment, versuch_code, area, notill, i_con, rep_cnt, FL_ID ) "
    " SELECT  Herkunft, soil_ID, climate_ID, Location,  \"x\"&site_description,  mw_BAT,  "
    "classification,  comment,  versuch_code, area,notill, i_con, rep_cnt, ? "
    "FROM field_description WHERE FL_ID=?";

const char* const copy_measurements =
    "Insert into   measurements ( fl_id, m_ix, [day], [month], [year], year_number, meas_value, "
    "vrnz )  Select ?, m_ix, [day], [month], [year], year_number, meas_value, vrnz "
    "from measurements where fl_id=?";

const char* const copy_regional_management =
    " Insert into cultivation(fl_id,fl_id_alt,[day],[month],[year],macode,item_ix,quantity,part "
    ")  Select ?, fl_id_alt,[day],[month],[year],macode,item_ix,quantity,part "
    "from cultivation where fl_id=?";

const char* const copy_management =
    " Insert into cultivation(fl_id,fl_id_alt,[day],[month],[year],macode,item_ix,quantity )  "
    "Select ?, fl_id_alt,[day],[month],[year],macode,item_ix,quantity "
    "from cultivation where fl_id=?";

// The tables holding a plot's rows, in the order they are cleared.
constexpr std::array<const char*, 6> plot_tables = {
    "field_description", "cultivation", "measurements", "site_state", "sim_result", "tsm_zbv"};

void add_site_state(db::Connection& conn, std::int64_t fl_id) {
    conn.prepare("Insert into site_state ( status,fl_id) values (0, ?)").execute({fl_id});
}

} // namespace

std::int64_t add_plot(db::Connection& conn, const PlotFolder& folder, const std::string& modus) {
    NewPlotRow plot;
    plot.location = folder.location;
    plot.herkunft = folder.herkunft.empty() ? "??" : folder.herkunft;
    plot.versuch_code = folder.vcode;
    plot.i_con = modus == "ORV" ? "null" : "obsval";
    db::Transaction t(conn);
    plot.fl_id = app::get_key(conn, "field_description", "fl_id");
    append_plot_row(conn, plot);
    add_site_state(conn, plot.fl_id);
    t.commit();
    return plot.fl_id;
}

std::int64_t copy_plot(db::Connection& conn, std::int64_t source, bool regional_mode) {
    db::Transaction t(conn);
    const std::int64_t id =
        conn.scalar(" select max(fl_id)+1 as new_id from field_description ").as_int();
    if (conn.prepare(copy_site).execute({id, source}) == 0)
        throw db::Error("Plot " + std::to_string(source) +
                        " does not exist in field_description; nothing was copied.");
    add_site_state(conn, id);
    conn.prepare(copy_measurements).execute({id, source});
    conn.prepare(regional_mode ? copy_regional_management : copy_management).execute({id, source});
    t.commit();
    return id;
}

void move_plot(db::Connection& conn, std::int64_t fl_id, const std::string& location) {
    conn.prepare("update field_description set location=?  where FL_id=?")
        .execute({location, fl_id});
}

bool delete_plot(db::Connection& conn, app::Dialogs& dialogs, const std::string& language,
                 std::int64_t fl_id) {
    const std::string question = ui_text(18, language) + std::to_string(fl_id) + " ?";
    if (!dialogs.ask_yes_no(ui_text(19, language), question)) return false;
    db::Transaction t(conn);
    for (const char* table : plot_tables)
        conn.prepare("delete from " + std::string(table) + " where FL_id=?").execute({fl_id});
    t.commit();
    return true;
}

} // namespace workbench
