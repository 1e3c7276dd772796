// preselection_test.cpp --- the selection lists of crops, amendments and fertilisers.
#include "app/selection_lists.h"
#include "db/db_error.h"
#include "db/new_database.h"
#include "params/preselection.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace {

using params::SelectionList;

class Preselection : public testing::Test {
protected:
    test::TempDir dir;
    db::Connection c = db::create_experiment_database(dir / "demo.db", true);

    std::string list(const char* table) {
        return test::rows(c, std::string("select [select], ITEM_IX from ") + table +
                                 " order by ITEM_IX");
    }
};

TEST_F(Preselection, UseAllForAmendmentsHoldsExactlyTheSubstratesAllSelected) {
    // A residue wrongly in the list, a gone item, an unselected substrate, a new substrate.
    c.execute("insert into srbsel_ops ([select], ITEM_IX, Name) values (-1, 1, 'residue')");
    c.execute("insert into srbsel_ops ([select], ITEM_IX, Name) values (-1, 999, 'gone')");
    c.execute("update srbsel_ops set [select]=0 where ITEM_IX=102");
    c.execute("insert into srbopspa (ITEM_IX, NAME, od) values (107, 'horse manure', -1)");

    params::use_all(c, SelectionList::amendments);
    EXPECT_EQ(list("srbsel_ops"), test::rows(c, "select -1, ITEM_IX from srbopspa where od=-1 "
                                                "order by ITEM_IX"));
    EXPECT_EQ(test::rows(c, "select Name from srbsel_ops where ITEM_IX=107"), "horse manure\n");
}

TEST_F(Preselection, UseAllRecreatesAMissingList) {
    c.execute("drop table srbsel_frt");
    params::use_all(c, SelectionList::fertilisers);
    EXPECT_EQ(list("srbsel_frt"), "-1|1\n-1|2\n-1|3\n-1|4\n");
}

TEST_F(Preselection, AFailingUseAllLeavesTheListAndItsTicks) {
    // A list without a Name column: the renaming fails after the removal of the gone item.
    c.execute_native("drop table srbsel_crop; create table srbsel_crop ([select] integer, "
                     "ITEM_IX integer, OEKO_code integer); insert into srbsel_crop values "
                     "(0, 1, 0), (-1, 999, 0)");
    EXPECT_THROW(params::use_all(c, SelectionList::crops), db::Error);
    EXPECT_EQ(list("srbsel_crop"), "0|1\n-1|999\n");
}

TEST_F(Preselection, UseNoneInvertAndTheDoubleClick) {
    params::use_none(c, SelectionList::fertilisers);
    EXPECT_EQ(list("srbsel_frt"), "0|1\n0|2\n0|3\n0|4\n");
    EXPECT_TRUE(params::toggle(c, SelectionList::fertilisers, 2));
    params::invert(c, SelectionList::fertilisers);
    EXPECT_EQ(list("srbsel_frt"), "-1|1\n0|2\n-1|3\n-1|4\n");
    // Twice on a selected entry leaves it selected.
    EXPECT_FALSE(params::toggle(c, SelectionList::fertilisers, 3));
    EXPECT_TRUE(params::toggle(c, SelectionList::fertilisers, 3));
    EXPECT_EQ(list("srbsel_frt"), "-1|1\n0|2\n-1|3\n-1|4\n");
    EXPECT_THROW(params::toggle(c, SelectionList::fertilisers, 77), db::Error);
}

TEST_F(Preselection, OrganicCodesAddCrops) {
    c.execute("update srbpflan set oeko_code=2 where ITEM_IX=13");
    c.execute("update srbpflan set oeko_code=1 where ITEM_IX=11");
    params::use_all(c, SelectionList::crops);
    params::use_none(c, SelectionList::crops);
    params::add_crops_by_oeko_code(c, true);
    EXPECT_EQ(test::rows(c, "select count(*) from srbsel_crop where [select] and ITEM_IX in (11)"),
              "0\n");
    EXPECT_EQ(test::rows(c, "select count(*) from srbsel_crop where [select] and ITEM_IX in (13)"),
              "1\n");
    params::add_crops_by_oeko_code(c, false);
    EXPECT_EQ(test::rows(c, "select count(*) from srbsel_crop where [select] and ITEM_IX in (11)"),
              "1\n");
}

TEST_F(Preselection, TheLaunchersRefreshKeepsResiduesOutOfTheAmendmentList) {
    const std::string before = list("srbsel_ops");
    EXPECT_TRUE(app::refresh_selection_lists(c, "E"));
    EXPECT_TRUE(app::refresh_selection_lists(c, "E"));
    EXPECT_EQ(list("srbsel_ops"), before);
    EXPECT_EQ(test::rows(c, "select count(*) from srbsel_ops"), "6\n");
}

} // namespace
