// selection_lists.cpp --- per-plot selection rows and the crop and amendment pick lists.
#include "app/selection_lists.h"

#include "db/text.h"

#include <array>

namespace app {

namespace {

// New amendments and crops enter their lists selected; entries whose item is gone are
// marked with ITEM_IX -1 and removed. The amendment list holds only substrates (od = -1),
// never crop residues.
constexpr std::array<const char*, 6> list_updates = {
    "insert INTO srbsel_ops ( item_ix, NAME,   [select] ) "
    " SELECT srbopspa.item_ix, srbopspa.NAME,   -1 AS [select] "
    " FROM srbopspa LEFT JOIN srbsel_ops ON srbopspa.item_ix = srbsel_ops.ITEM_IX "
    " WHERE (((srbsel_ops.item_ix) Is Null)) AND srbopspa.od=-1",
    "insert INTO srbsel_crop ( item_ix, NAME,   [select] ) "
    " SELECT  srbpflan.item_ix,  srbpflan.NAME,   -1 AS [select] "
    " FROM srbpflan LEFT JOIN srbsel_crop ON srbpflan.item_ix = srbsel_crop.ITEM_IX "
    " WHERE (((srbsel_crop.item_ix) Is Null))",
    " UPDATE srbsel_crop LEFT JOIN srbpflan ON srbsel_crop.ITEM_IX = srbpflan.ITEM_IX "
    " SET srbsel_crop.ITEM_IX = -1 WHERE (((srbpflan.ITEM_IX) Is Null)) ",
    " delete from srbsel_crop where item_ix=-1",
    " UPDATE srbsel_ops LEFT JOIN srbopspa ON srbsel_ops.ITEM_IX = srbopspa.ITEM_IX "
    " SET srbsel_ops.ITEM_IX = -1 WHERE (((srbopspa.ITEM_IX) Is Null)) OR srbopspa.od<>-1 ",
    " delete from srbsel_ops where item_ix=-1",
};

// The names of crops, amendments and actions in one language; suffix "de" or "en".
void switch_names(db::Connection& conn, const std::string& suffix) {
    conn.execute(" update srbpflan set name=name_" + suffix);
    conn.execute(" update srbopspa set name=name_" + suffix);
    conn.execute(" update srbaktion set [action]=action_" + suffix);
    conn.execute(" update srbaktion set def_intensity=def_intensity_" + suffix);
}

} // namespace

int add_selection_state_rows(db::Connection& conn) {
    return conn.execute(
        " INSERT INTO site_state ( FL_ID, status, res_VAL ) SELECT field_description.FL_ID, "
        "0 AS status, 0 AS res_VAL "
        " FROM field_description LEFT JOIN site_state ON field_description.FL_ID = "
        "site_state.FL_ID WHERE site_state.FL_ID Is Null");
}

bool refresh_selection_lists(db::Connection& conn, const std::string& language) {
    if (!conn.has_column("srbpflan", "NAME_en")) return false;
    for (const char* statement : list_updates) conn.execute(statement);
    const std::string code = db::upper(language);
    if (code == "D") switch_names(conn, "de");
    if (code == "E") switch_names(conn, "en");
    return true;
}

} // namespace app
