// window_placement_test.cpp --- where a main window opens: its first size on screens
// large and small, and the stored placement used again only where it fits.
#include "app/window_placement.h"

#include <gtest/gtest.h>

namespace {

using app::Placement;

TEST(WindowPlacement, TextFormReadsBackAndRefusesAnythingElse) {
    const Placement p{-8, 30, 1200, 800};
    EXPECT_EQ(app::parse_placement(app::format_placement(p)), p);
    for (const char* bad : {"", "1,2,3", "1,2,3,4,5", "a,2,3,4", "1,2,0,4", "1,2,3,-4", "1,2,3,4 ",
                            "1;2;3;4", "1,,3,4"})
        EXPECT_EQ(app::parse_placement(bad), std::nullopt) << '"' << bad << '"';
}

TEST(WindowPlacement, FirstPlacementFitsTheScreenAndIsCentred) {
    struct Case {
        const char* what;
        Placement screen;
        int width, height;
        Placement expected;
    };
    const Case cases[] = {
        {"room enough", {0, 0, 1920, 1080}, 1200, 800, {360, 140, 1200, 800}},
        {"small screen: 90 % of it", {0, 0, 1024, 768}, 1200, 800, {51, 38, 921, 691}},
        {"narrow only", {0, 0, 1280, 1024}, 1200, 800, {64, 112, 1152, 800}},
        {"second screen to the right", {1920, 0, 1920, 1080}, 600, 400, {2580, 340, 600, 400}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(app::first_placement(c.width, c.height, c.screen), c.expected) << c.what;
}

TEST(WindowPlacement, StoredPlacementIsUsedOnlyWhereItFitsTheScreen) {
    const Placement screen{0, 0, 1366, 768};
    const Placement first = app::first_placement(1200, 800, screen);
    struct Case {
        const char* what;
        std::optional<Placement> stored;
        Placement expected;
    };
    const Case cases[] = {
        {"nothing stored", std::nullopt, first},
        {"fits", Placement{10, 20, 900, 600}, Placement{10, 20, 900, 600}},
        {"the whole screen", screen, screen},
        {"left from a larger screen", Placement{0, 0, 1920, 1080}, first},
        {"on a screen no longer there", Placement{1500, 100, 800, 600}, first},
        {"above the top", Placement{100, -40, 800, 600}, first},
    };
    for (const Case& c : cases)
        EXPECT_EQ(app::placement_for(c.stored, 1200, 800, screen), c.expected) << c.what;
}

TEST(WindowPlacement, KeptInTheSettingsUnderTheWindowsName) {
    app::MemorySettingsStore store;
    app::write_placement(store, "workbench", {1, 2, 3, 4});
    EXPECT_FALSE(store.key_exists()); // never the first value of a store that has no key
    EXPECT_EQ(app::read_placement(store, "workbench"), std::nullopt);

    store.create_key();
    app::write_placement(store, "workbench", {1, 2, 300, 400});
    EXPECT_EQ(store.read_string("window_workbench"), "1,2,300,400");
    EXPECT_EQ(app::read_placement(store, "workbench"), (Placement{1, 2, 300, 400}));
    EXPECT_EQ(app::read_placement(store, "launcher"), std::nullopt);
    store.write_string("window_launcher", "damaged");
    EXPECT_EQ(app::read_placement(store, "launcher"), std::nullopt);
}

} // namespace
