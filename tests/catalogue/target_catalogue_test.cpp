// Catalogue facts that go on the wire or into the operator's lists.
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>

#include "catalogue/target_catalogue.h"

namespace {

std::u16string text(const char16_t* s) {
    return s == nullptr ? std::u16string() : std::u16string(s);
}

TEST(TargetCatalogue, Rows) {
    struct Row {
        const char16_t* name;
        const char* firmware_file;
        unsigned capacity;
        ScriptFormat format;
        std::uint32_t image_addr;
        std::uint8_t sync_code;
        int range_count;
    };
    const Row rows[TARGET_COUNT] = {
        {u"KT310", "bin\\ddr-test-kt310.bin", 512, SCRIPT_SETMEM, 0x00907000, 0x63, 7},
        {u"KT320", "bin\\ddr-test-kt320.bin", 512, SCRIPT_SETMEM, 0x00907000, 0x61, 6},
        {u"KT330", "bin\\ddr-test-kt330.bin", 512, SCRIPT_SETMEM, 0x00907000, 0x60, 6},
        {u"KT340", "bin\\ddr-test-kt340.bin", 512, SCRIPT_SETMEM, 0x00907000, 0x62, 6},
        {u"KT350", "bin\\ddr-test-kt350.bin", 512, SCRIPT_SETMEM, 0x00907000, 0x64, 6},
        {u"KT410", "bin\\ddr-test-kt410.bin", 1024, SCRIPT_MEMORY, 0x00910000, 0x70, 6},
    };
    ASSERT_EQ(target_list_texts().count, TARGET_COUNT);
    std::set<std::uint16_t> pids;
    for (int i = 0; i < TARGET_COUNT; ++i) {
        SCOPED_TRACE(i);
        const TargetProfile& t = target_profile(i);
        EXPECT_EQ(text(t.name), text(rows[i].name));
        EXPECT_STREQ(t.firmware_file, rows[i].firmware_file);
        EXPECT_EQ(t.dcd_capacity, rows[i].capacity);
        EXPECT_EQ(t.script_format, rows[i].format);
        EXPECT_EQ(t.image_addr, rows[i].image_addr);
        EXPECT_EQ(t.sync_code, rows[i].sync_code);
        EXPECT_EQ(t.dcd_range_count, rows[i].range_count);
        ASSERT_NE(t.dcd_ranges, nullptr);
        for (int r = 0; r < t.dcd_range_count; ++r) EXPECT_LE(t.dcd_ranges[r].low, t.dcd_ranges[r].high);
        // Each target needs its own product ID, or the wrong board would be
        // taken for it.
        pids.insert(t.usb_pid);
        // The TARGET list shows the names in index order.
        EXPECT_EQ(text(target_list_texts().rows[i]), text(t.name));
    }
    EXPECT_EQ(pids.size(), static_cast<std::size_t>(TARGET_COUNT));
}

TEST(TargetCatalogue, RowsThreeAndFourShareTheirRanges) {
    const TargetProfile& kt340 = target_profile(3);
    const TargetProfile& kt350 = target_profile(4);
    ASSERT_EQ(kt340.dcd_range_count, kt350.dcd_range_count);
    for (int r = 0; r < kt340.dcd_range_count; ++r) {
        EXPECT_EQ(kt340.dcd_ranges[r].low, kt350.dcd_ranges[r].low) << r;
        EXPECT_EQ(kt340.dcd_ranges[r].high, kt350.dcd_ranges[r].high) << r;
    }
    // Only KT410 lists address 0 (twice, as single-address ranges).
    for (int i = 0; i < TARGET_COUNT; ++i) {
        const TargetProfile& t = target_profile(i);
        int zero_ranges = 0;
        for (int r = 0; r < t.dcd_range_count; ++r)
            if (t.dcd_ranges[r].low == 0 && t.dcd_ranges[r].high == 0) ++zero_ranges;
        EXPECT_EQ(zero_ranges, i == 5 ? 2 : 0) << i;
    }
}

// The lists' texts in order and the codes the sync packet and the read
// command carry for them.
TEST(TargetCatalogue, OptionListsAndCodes) {
    struct Entry {
        const char16_t* text;
        int code;
    };
    const Entry density[] = {{u"Default", 0x0000}, {u"4GB", 0x0F00},  {u"2GB", 0x0800},
                             {u"1GB", 0x0400},     {u"512MB", 0x0200}, {u"256MB", 0x0100},
                             {u"128MB", 0x0080},   {u"64MB", 0x0040},  {u"32MB", 0x0020}};
    const Entry arm[] = {{u"Default", 0}, {u"800MHz", 0x0320}, {u"1GHz", 0x03E8}, {u"1.2GHz", 0x04B0}};
    const Entry size[] = {{u"1 WORD", 1}, {u"4 WORD", 4}, {u"8 WORD", 8}, {u"16 WORD", 16}, {u"32 WORD", 32}};

    ASSERT_EQ(density_list_texts().count, 9);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(text(density_list_texts().rows[i]), text(density[i].text)) << i;
        EXPECT_EQ(density_code(i), density[i].code) << i;
    }
    ASSERT_EQ(arm_speed_list_texts().count, 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(text(arm_speed_list_texts().rows[i]), text(arm[i].text)) << i;
        EXPECT_EQ(arm_speed_code(i), arm[i].code) << i;
    }
    ASSERT_EQ(size_list_texts().count, 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(text(size_list_texts().rows[i]), text(size[i].text)) << i;
        EXPECT_EQ(read_word_count(i), size[i].code) << i;
    }
    // DDR CS and DDR channel send their index: "ALL" is 1 and 2.
    ASSERT_EQ(ddr_cs_list_texts().count, 2);
    EXPECT_EQ(text(ddr_cs_list_texts().rows[0]), u"0");
    EXPECT_EQ(text(ddr_cs_list_texts().rows[1]), u"ALL");
    ASSERT_EQ(ddr_channel_list_texts().count, 3);
    EXPECT_EQ(text(ddr_channel_list_texts().rows[0]), u"0");
    EXPECT_EQ(text(ddr_channel_list_texts().rows[1]), u"1");
    EXPECT_EQ(text(ddr_channel_list_texts().rows[2]), u"ALL");
}

}  // namespace
