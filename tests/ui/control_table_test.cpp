#include <gtest/gtest.h>

#include <set>
#include <string>

#include "ui/control_table.h"

TEST(ControlTable, TemplatesAndIds) {
    const DialogTemplate& main = main_window_template();
    EXPECT_EQ(main.id, IDD_ORVANE_DIALOG);
    EXPECT_EQ(main.controls.size(), 52u);
    std::set<int> ids;
    int labels_and_groups = 0;
    for (const ControlEntry& c : main.controls) {
        if (c.id == IDC_NO_ID) {
            ++labels_and_groups;
            EXPECT_TRUE(c.kind == ControlKind::label || c.kind == ControlKind::group_box);
        } else {
            EXPECT_TRUE(ids.insert(c.id).second) << c.id;
        }
    }
    EXPECT_EQ(ids.size(), 33u);  // 1009 to 1043 without 1014 and 1015
    EXPECT_EQ(*ids.begin(), 1009);
    EXPECT_EQ(*ids.rbegin(), 1043);
    EXPECT_EQ(labels_and_groups, 19);

    const ControlEntry* stress_save = find_control(main, IDC_SAVE_STRESS);
    ASSERT_TRUE(stress_save);
    EXPECT_EQ(std::u16string(main.controls[19].caption), u"DDR Stess Test");
    EXPECT_EQ(main.controls[20].id, IDC_SAVE_STRESS);

    const DialogTemplate& about = about_box_template();
    EXPECT_EQ(about.controls.size(), 3u);
    EXPECT_EQ(std::u16string(about.controls[1].caption), u"Orvane, Version2.2.0");
    EXPECT_EQ(std::u16string(load_string(IDS_ABOUTBOX)), u"&About Orvane...");
    EXPECT_EQ(std::u16string(load_string(999)), u"");
}
