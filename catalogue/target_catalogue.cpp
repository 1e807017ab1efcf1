// The target table: one constant row per supported chip, in TARGET-list order.
#include "catalogue/target_catalogue.h"

#include "usb_ids_config.h"

static_assert(ORVANE_USB_VID >= 0 && ORVANE_USB_VID <= 0xFFFF, "ORVANE_USB_VID must be a 16-bit value");
static_assert(ORVANE_USB_PID_KT310 >= 0 && ORVANE_USB_PID_KT310 <= 0xFFFF, "ORVANE_USB_PID_KT310 must be 16-bit");
static_assert(ORVANE_USB_PID_KT320 >= 0 && ORVANE_USB_PID_KT320 <= 0xFFFF, "ORVANE_USB_PID_KT320 must be 16-bit");
static_assert(ORVANE_USB_PID_KT330 >= 0 && ORVANE_USB_PID_KT330 <= 0xFFFF, "ORVANE_USB_PID_KT330 must be 16-bit");
static_assert(ORVANE_USB_PID_KT340 >= 0 && ORVANE_USB_PID_KT340 <= 0xFFFF, "ORVANE_USB_PID_KT340 must be 16-bit");
static_assert(ORVANE_USB_PID_KT350 >= 0 && ORVANE_USB_PID_KT350 <= 0xFFFF, "ORVANE_USB_PID_KT350 must be 16-bit");
static_assert(ORVANE_USB_PID_KT410 >= 0 && ORVANE_USB_PID_KT410 <= 0xFFFF, "ORVANE_USB_PID_KT410 must be 16-bit");

namespace {

constexpr DcdRange kRangesKt310[] = {
    {0x00BB0000, 0x00BB003F}, {0x020E0000, 0x020E3FFF}, {0x020C4000, 0x020C7FFF},
    {0x021B0000, 0x021B7FFF}, {0x00907000, 0x00937FF0}, {0x08000000, 0x0FFEFFFF},
    {0x10000000, 0xFFFFFFFF},
};

constexpr DcdRange kRangesKt320[] = {
    {0x020E0000, 0x020E3FFF}, {0x020C4000, 0x020C7FFF}, {0x021B0000, 0x021B7FFF},
    {0x00907000, 0x00937FF0}, {0x08000000, 0x0FFEFFFF}, {0x10000000, 0xFFFFFFFF},
};

constexpr DcdRange kRangesKt330[] = {
    {0x020E0000, 0x020E3FFF}, {0x020C4000, 0x020C7FFF}, {0x021B0000, 0x021B7FFF},
    {0x00907000, 0x00937FF0}, {0x08000000, 0x0FFEFFFF}, {0x80000000, 0xFFFFFFFF},
};

// KT340 and KT350 share one list.
constexpr DcdRange kRangesKt340[] = {
    {0x020E0000, 0x020E7FFF}, {0x020C4000, 0x020C7FFF}, {0x021B0000, 0x021B3FFF},
    {0x00907000, 0x00917FF0}, {0x50000000, 0x5FFEFFFF}, {0x80000000, 0xFFFFFFFF},
};

// The last two are single-address ranges at 0: a write to address 0 is
// valid for KT410 only.
constexpr DcdRange kRangesKt410[] = {
    {0x30000000, 0x303FFFFF}, {0x30400000, 0x307FFFFF}, {0x00910000, 0x00947FF0},
    {0x80000000, 0xFFFFFFFF}, {0x00000000, 0x00000000}, {0x00000000, 0x00000000},
};

template <std::size_t N>
constexpr int count_of(const DcdRange (&)[N]) {
    return static_cast<int>(N);
}

// Constant apart from usb_pid, which catalogue_set_usb_ids may replace once
// at start-up, before any other thread runs.
TargetProfile g_targets[TARGET_COUNT] = {
    {u"KT310", "bin\\ddr-test-kt310.bin", ORVANE_USB_PID_KT310, 512, SCRIPT_SETMEM, 0x00907000,
     kRangesKt310, count_of(kRangesKt310), 0x63},
    {u"KT320", "bin\\ddr-test-kt320.bin", ORVANE_USB_PID_KT320, 512, SCRIPT_SETMEM, 0x00907000,
     kRangesKt320, count_of(kRangesKt320), 0x61},
    {u"KT330", "bin\\ddr-test-kt330.bin", ORVANE_USB_PID_KT330, 512, SCRIPT_SETMEM, 0x00907000,
     kRangesKt330, count_of(kRangesKt330), 0x60},
    {u"KT340", "bin\\ddr-test-kt340.bin", ORVANE_USB_PID_KT340, 512, SCRIPT_SETMEM, 0x00907000,
     kRangesKt340, count_of(kRangesKt340), 0x62},
    {u"KT350", "bin\\ddr-test-kt350.bin", ORVANE_USB_PID_KT350, 512, SCRIPT_SETMEM, 0x00907000,
     kRangesKt340, count_of(kRangesKt340), 0x64},
    {u"KT410", "bin\\ddr-test-kt410.bin", ORVANE_USB_PID_KT410, 1024, SCRIPT_MEMORY, 0x00910000,
     kRangesKt410, count_of(kRangesKt410), 0x70},
};

std::uint16_t g_vendor_id = ORVANE_USB_VID;

}  // namespace

const TargetProfile& target_profile(int index) {
    // The TARGET list always has a selection, so an index out of range is a
    // programming error; answer with row 0 rather than read past the table.
    if (index < 0 || index >= TARGET_COUNT) index = 0;
    return g_targets[index];
}

std::uint16_t usb_vendor_id() {
    return g_vendor_id;
}

void catalogue_set_usb_ids(std::uint16_t vendor_id, const std::uint16_t product_ids[TARGET_COUNT]) {
    g_vendor_id = vendor_id;
    if (product_ids == nullptr) return;
    for (int i = 0; i < TARGET_COUNT; ++i) g_targets[i].usb_pid = product_ids[i];
}
