// Every routine the script can name is registered before main, under its
// name and in the table's order.
#include "script/functable.h"

#include <gtest/gtest.h>

TEST(Registration, All39RoutinesResolveInTheirOrder)
{
    const char* const names[] = {
        "test_init", "test", "test2", "bb_init", "bb", "bb_background", "cpp_init", "music_init",
        "background_window_init", "init_multitexture", "overlay_face_init", "overlay_logo_init", "lamps_init",
        "archstairs_init", "tree_init", "ghost_init", "fedsquare_init", "black", "white", "clear_depth",
        "background_window", "overlay_face", "overlay_logo", "sample_transition_pre", "sample_transition_pre_init",
        "sample_transition_post", "sample_transition_post_init", "lamps_background", "lamps_transition_pre",
        "lamps_transition_pre_init", "lamps", "archstairs_background", "archstairs", "tree", "ghost_test",
        "fedsquare", "city_init", "city_background", "city",
    };
    ASSERT_EQ(g_funcTable.count, 39);
    for (int i = 0; i < 39; ++i) {
        EXPECT_STREQ(g_funcTable.entries[i]->name, names[i]) << "entry " << i + 1;
        EXPECT_EQ(FuncTable_Find(names[i]), g_funcTable.entries[i]->routine) << names[i];
    }
}
