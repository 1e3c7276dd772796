// key_check_test.cpp --- the crops and amendments of a plot looked up in the destination,
// the lists the user reads, and the copy of a missing parameter row.
#include "transfer/key_check.h"
#include "transfer/transfer_tables.h"
#include "transfer_fixture.h"

namespace {

using test::TransferTest;

TEST_F(TransferTest, KeyCheckListsFoundAndMissingItems) {
    dest.execute_native("DELETE FROM srbopspa WHERE ITEM_IX IN (101, 24); UPDATE srbpflan SET "
                        "NAME = 'Zuckerruebe' WHERE ITEM_IX = 9; DELETE FROM srbpflan WHERE "
                        "ITEM_IX = 10");
    transfer::AttachedSource attached(dest, source.path());
    const transfer::KeyCheck check = transfer::check_key_items(dest, 103);

    EXPECT_EQ(
        transfer::key_check_lines(check.crops, transfer::crops_found, transfer::crops_missing),
        (std::vector<std::string>{"Trefferliste crops:",
                                  "1 ==>src: winter wheat ==>dst: "
                                  "winter wheat",
                                  "4 ==>src: spring barley ==>dst: spring "
                                  "barley",
                                  "9 ==>src: sugar beet ==>dst: Zuckerruebe",
                                  "Fehlerliste Crops:", "10"}));
    std::vector<std::int64_t> missing;
    for (const auto& i : check.amendments)
        if (i.missing()) missing.push_back(i.key);
    EXPECT_EQ(missing, (std::vector<std::int64_t>{24, 101}));

    // A missing row is copied once; a present one is never touched.
    EXPECT_EQ(transfer::copy_parameter_row(dest, transfer::amendment_table, 101), 1);
    EXPECT_EQ(transfer::copy_parameter_row(dest, transfer::amendment_table, 101), 0);
    EXPECT_EQ(transfer::copy_parameter_row(dest, transfer::crop_table, 9), 0);
    EXPECT_EQ(test::rows(dest, "select NAME from srbpflan where ITEM_IX = 9"), "Zuckerruebe\n");
    EXPECT_EQ(test::rows(dest, "select NAME, CNR from srbopspa where ITEM_IX = 101"),
              test::rows(source, "select NAME, CNR from srbopspa where ITEM_IX = 101"));
}

} // namespace
