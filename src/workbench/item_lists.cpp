// item_lists.cpp --- the item list statements and their rows.
#include "workbench/item_lists.h"

#include "db/connection.h"

namespace workbench {

std::int64_t item_kind_of_action(std::int64_t macode) {
    switch (macode) {
    case 0:
    case 1:
    case 2:
    case 9:
    case 12:
        return crop_kind;
    case 4:
        return fertiliser_kind;
    case 7:
        return irrigation_kind;
    default:
        return macode;
    }
}

const std::string& all_items_statement() {
    static const std::string s =
        "select name, trim(left(name,25)) as item, item_ix, 1 as objekt, 100000*1+item_ix as ix "
        "from srbpflan"
        " union select name, trim(left(name,25)) as item, item_ix, 3 as objekt, "
        "100000*3+item_ix as ix from srbopspa where od=true"
        " union select name, trim(left(name,25)) as item, item_ix, 4 as objekt, "
        "100000*4+item_ix as ix from srbmindg"
        " union select name, '-' as item, 1 as item_ix  , 7 as objekt, 100000*7+item_ix as ix "
        "from srbmindg"
        " union select name, '-' as item, 1 as item_ix  , 5 as objekt, 100000*5+item_ix as ix "
        "from srbmindg"
        "  order by objekt, name, item_ix";
    return s;
}

const std::string& selected_items_statement() {
    static const std::string s =
        "select srbpflan.name, trim(left(srbpflan.name,25)) as item, srbpflan.item_ix, "
        "1 as objekt, 100000*1+srbpflan.item_ix as ix "
        "from srbpflan inner join srbsel_crop on srbpflan.item_ix=srbsel_crop.item_ix "
        "where srbsel_crop.[select]<>0"
        " union select srbopspa.name, trim(left(srbopspa.name,25)) as item, srbopspa.item_ix, "
        "3 as objekt, 100000*3+srbopspa.item_ix as ix "
        "from srbopspa inner join srbsel_ops on srbopspa.item_ix=srbsel_ops.item_ix "
        "where srbopspa.od=true and srbsel_ops.[select]<>0"
        " union select srbmindg.name, trim(left(srbmindg.name,25)) as item, srbmindg.item_ix, "
        "4 as objekt, 100000*4+srbmindg.item_ix as ix "
        "from srbmindg inner join srbsel_frt on srbmindg.item_ix=srbsel_frt.item_ix "
        "where srbsel_frt.[select]<>0"
        " union select name, '-' as item, -99 as item_ix, 7 as objekt, 100000*7-99 as ix "
        "from srbmindg"
        " union select name, '-' as item, -99 as item_ix, 14 as objekt, 100000*14-99 as ix "
        "from srbmindg"
        "  order by name,objekt  ,item_ix";
    return s;
}

ItemList load_items(db::Connection& conn, const std::string& statement) {
    db::Dataset rows = conn.open(statement);
    ItemList items;
    for (rows.first(); !rows.eof(); rows.next())
        items.push_back(Item{rows["name"].as_text(), rows["item"].as_text(),
                             rows["item_ix"].as_int(), rows["objekt"].as_int(),
                             rows["ix"].as_int()});
    return items;
}

const Item* find_item(const ItemList& items, std::int64_t ix) {
    for (const Item& i : items)
        if (i.ix == ix) return &i;
    return nullptr;
}

} // namespace workbench
