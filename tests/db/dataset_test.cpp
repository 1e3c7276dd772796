// Data sets: walking, locating, filtering, editing and posting rows.
#include "db/connection.h"
#include "db/db_error.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace {

class DatasetTest : public ::testing::Test {
protected:
    void SetUp() override {
        c.execute("create table plots (FL_ID int, name char(20), area double)");
        c.execute("insert into plots values (1, 'Alpha', 1.5)");
        c.execute("insert into plots values (2, 'Beta', 2)");
        c.execute("insert into plots values (3, 'Gamma', Null)");
    }
    test::TempDir dir;
    db::Connection c = db::Connection::create(dir / "d.db");
};

TEST_F(DatasetTest, WalksLocatesAndFilters) {
    db::Dataset d = c.open("select * from plots order by FL_ID");
    EXPECT_EQ(d.record_count(), 3);
    std::vector<std::int64_t> keys;
    for (d.first(); !d.eof(); d.next()) keys.push_back(d["fl_id"].as_int());
    EXPECT_EQ(keys, (std::vector<std::int64_t>{1, 2, 3}));

    ASSERT_TRUE(d.locate("NAME", db::Value("beta")));
    EXPECT_EQ(d.field("area").as_double(), 2.0);
    EXPECT_FALSE(d.locate("name", db::Value("delta")));
    EXPECT_EQ(d.field("FL_ID").as_int(), 2); // cursor unchanged

    d.set_filter([](const db::Dataset& ds, const db::Dataset::Row& r) {
        return !ds.value_in(r, "area").is_null();
    });
    EXPECT_EQ(d.record_count(), 2);
    EXPECT_THROW(d.field("nosuchfield"), db::Error);
}

TEST_F(DatasetTest, EditsAppendsAndDeletesByRowid) {
    db::Dataset d = c.open("plots");
    ASSERT_TRUE(d.editable());
    ASSERT_TRUE(d.locate("FL_ID", db::Value(2)));
    d.edit();
    d.set_field("name", db::Value("Beta'2"));
    d.post();
    EXPECT_EQ(c.scalar("select name from plots where FL_ID = 2").as_text(), "Beta'2");

    d.append();
    d.set_field("FL_ID", db::Value(4));
    d.post();
    EXPECT_EQ(d.field("FL_ID").as_int(), 4);
    EXPECT_EQ(c.scalar("select count(*) from plots").as_int(), 4);

    ASSERT_TRUE(d.locate("FL_ID", db::Value(1)));
    d.delete_record();
    EXPECT_EQ(c.scalar("select count(*) from plots where FL_ID = 1").as_int(), 0);
    EXPECT_EQ(d.record_count(), 3);
}

TEST_F(DatasetTest, AliasedColumnsWriteToTheirColumn) {
    db::Dataset d = c.open("select FL_ID as plot, area from plots where FL_ID = 3");
    d.set_field("area", db::Value(7.25));
    d.post();
    EXPECT_EQ(c.scalar("select area from plots where FL_ID = 3").as_double(), 7.25);
}

TEST_F(DatasetTest, QueriesOverSeveralTablesAreReadOnly) {
    db::Dataset d = c.open("select count(*) as n from plots");
    EXPECT_FALSE(d.editable());
    EXPECT_THROW(d.edit(), db::Error);
    EXPECT_THROW(c.open("delete from plots"), db::Error);
    EXPECT_EQ(c.scalar("select count(*) from plots").as_int(), 3);
}

} // namespace
