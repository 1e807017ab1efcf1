// The address check of register writes against a target's DCD ranges.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/script_reader.h"
#include "catalogue/target_catalogue.h"

namespace {

struct Checked {
    int result;
    std::string output;  // what the check wrote to standard output
};

Checked check(const std::vector<DcdItem>& items, int range_count, const DcdRange* ranges) {
    ::testing::internal::CaptureStdout();
    const int result = check_dcd_ranges(items.data(), static_cast<int>(items.size()), range_count, ranges);
    return {result, ::testing::internal::GetCapturedStdout()};
}

Checked check_target(int target, std::uint32_t addr) {
    const TargetProfile& t = target_profile(target);
    return check({{addr, 0x12345678}}, t.dcd_range_count, t.dcd_ranges);
}

std::string diagnostic(const char* addr) {
    return std::string("dcd address ") + addr + " out of valid range.\n";
}

// Both ends of a range belong to it; the addresses just outside do not when
// no other range of the row holds them.
TEST(DcdRanges, EndsOfTheRanges) {
    struct EndCase {
        std::uint32_t addr;
        bool pass[TARGET_COUNT];
    };
    const EndCase cases[] = {
        {0x00907000, {true, true, true, true, true, false}},
        {0x00906FFF, {false, false, false, false, false, false}},
        {0x00937FF0, {true, true, true, false, false, true}},
        {0x00937FF1, {false, false, false, false, false, true}},
        {0x00917FF0, {true, true, true, true, true, true}},
        {0x00917FF1, {true, true, true, false, false, true}},
        {0x00BB0000, {true, false, false, false, false, false}},
        {0x00BB003F, {true, false, false, false, false, false}},
        {0x00BB0040, {false, false, false, false, false, false}},
        {0x021B3FFF, {true, true, true, true, true, false}},
        {0x021B4000, {true, true, true, false, false, false}},
        {0x020E7FFF, {false, false, false, true, true, false}},
        {0x0FFEFFFF, {true, true, true, false, false, false}},
        {0x0FFF0000, {false, false, false, false, false, false}},
        {0x10000000, {true, true, false, false, false, false}},
        {0x7FFFFFFF, {true, true, false, false, false, false}},
        {0x80000000, {true, true, true, true, true, true}},
        {0xFFFFFFFF, {true, true, true, true, true, true}},
        {0x307FFFFF, {true, true, false, false, false, true}},
        {0x00947FF0, {false, false, false, false, false, true}},
        {0x00947FF1, {false, false, false, false, false, false}},
        {0x00000000, {false, false, false, false, false, true}},  // KT410 only
        {0x00000001, {false, false, false, false, false, false}},
    };
    for (const EndCase& c : cases) {
        for (int t = 0; t < TARGET_COUNT; ++t) {
            SCOPED_TRACE(::testing::Message() << "address 0x" << std::hex << c.addr << ", target " << t);
            const Checked r = check_target(t, c.addr);
            EXPECT_EQ(r.result, c.pass[t] ? 0 : -1);
            EXPECT_EQ(r.output.empty(), c.pass[t]);
        }
    }
}

// The check stops at the first address outside every range and writes one
// diagnostic line for it; values are never looked at.
TEST(DcdRanges, StopsAtTheFirstBadAddressWithOneLine) {
    const TargetProfile& kt310 = target_profile(0);
    const Checked r = check({{0x021B0000, 0xFFFFFFFF},
                             {0x00937FF1, 0},
                             {0x00000000, 0},
                             {0x00BB0040, 0}},
                            kt310.dcd_range_count, kt310.dcd_ranges);
    EXPECT_EQ(r.result, -1);
    EXPECT_EQ(r.output, diagnostic("0x00937ff1"));

    const Checked last = check({{0x021B0000, 0}, {0x0FFF00AB, 0}}, kt310.dcd_range_count, kt310.dcd_ranges);
    EXPECT_EQ(last.result, -1);
    EXPECT_EQ(last.output, diagnostic("0x0fff00ab"));
}

TEST(DcdRanges, NoItemsOrNoRanges) {
    const TargetProfile& kt310 = target_profile(0);
    // No items pass, even with no ranges.
    EXPECT_EQ(check({}, kt310.dcd_range_count, kt310.dcd_ranges).result, 0);
    EXPECT_EQ(check({}, 0, nullptr).result, 0);
    // With no ranges every item fails.
    const Checked r = check({{0x80000000, 0}}, 0, kt310.dcd_ranges);
    EXPECT_EQ(r.result, -1);
    EXPECT_EQ(r.output, diagnostic("0x80000000"));
    // Ranges are tried in their order and any one may hold the address.
    const DcdRange ranges[] = {{0x100, 0x1FF}, {0x0, 0xFFFFFFFF}};
    EXPECT_EQ(check({{0x200, 0}}, 2, ranges).result, 0);
    EXPECT_EQ(check({{0x200, 0}}, 1, ranges).result, -1);
}

}  // namespace
