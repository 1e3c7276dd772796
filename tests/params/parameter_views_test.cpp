// parameter_views_test.cpp --- the lines of the amendment and crop parameter views.
#include "db/new_database.h"
#include "params/parameter_views.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace {

TEST(ParameterViews, LinesNameTheColumnCutToTwelve) {
    EXPECT_EQ(params::tree_line("cnr", 25), "cnr.........: 25");
    EXPECT_EQ(params::tree_line("a_very_long_name", "x"), "a_very_long_: x");
    EXPECT_EQ(params::tree_line("k", db::Value()), "k...........: ");
}

class CropViews : public testing::Test {
protected:
    test::TempDir dir;
    db::Connection c = db::create_experiment_database(dir / "t.db", false);
};

TEST_F(CropViews, ACropWithResidueAndByProduct) {
    const auto p = params::crop_parameters(c, 1); // winter wheat: residue 1, straw 21
    ASSERT_EQ(p.crop.size(), c.columns("srbpflan").size());
    EXPECT_EQ(p.crop[0], "ITEM_IX.....: 1");
    EXPECT_EQ(p.crop[1], "NAME........: winter wheat");
    EXPECT_EQ(p.residue[1], "NAME........: root and stubble residues, winter cereals");
    EXPECT_EQ(p.by_product[1], "NAME........: cereal straw");
    // The next crop shows its own rows in all three.
    const auto q = params::crop_parameters(c, 8);
    EXPECT_EQ(q.residue[0], "ITEM_IX.....: 4");
    EXPECT_EQ(q.by_product[0], "ITEM_IX.....: 23");
}

TEST_F(CropViews, MissingItemsGiveEmptyListsWithoutAQuery) {
    // Silage maize has no by-product (-99); an empty key, a missing crop.
    const auto p = params::crop_parameters(c, 7);
    EXPECT_FALSE(p.crop.empty());
    EXPECT_FALSE(p.residue.empty());
    EXPECT_TRUE(p.by_product.empty());
    c.execute("update srbpflan set ewr_ix=Null, kop_ix=Null where ITEM_IX=1");
    const auto q = params::crop_parameters(c, 1);
    EXPECT_TRUE(q.residue.empty());
    EXPECT_TRUE(q.by_product.empty());
    EXPECT_TRUE(params::crop_parameters(c, 4711).crop.empty());
    EXPECT_TRUE(params::parameter_lines(c, "srbopspa", "").empty());
    EXPECT_EQ(params::parameter_lines(c, "srbopspa", 101)[0], "ITEM_IX.....: 101");
}

} // namespace
