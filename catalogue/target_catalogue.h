// The six supported targets and the meaning of every entry of the main
// window's option lists. Constant data; nothing here allocates.
#pragma once

#include <cstdint>

constexpr int TARGET_COUNT = 6;

enum ScriptFormat { SCRIPT_SETMEM, SCRIPT_MEMORY };

// One inclusive address range of a target's valid register addresses.
struct DcdRange {
    std::uint32_t low;
    std::uint32_t high;
};

// The constant row of one target, looked up by the target index 0..5.
struct TargetProfile {
    const char16_t* name;          // text of the row in the TARGET list
    const char* firmware_file;     // "bin\ddr-test-kt310.bin", relative to the current folder
    std::uint16_t usb_pid;         // product ID of the boot ROM and of the test firmware
    unsigned dcd_capacity;         // most register writes the init script may hold
    ScriptFormat script_format;    // which reader reads the init script
    std::uint32_t image_addr;      // load and start address of the firmware image
    const DcdRange* dcd_ranges;    // valid register address ranges, in the order tried
    int dcd_range_count;
    std::uint8_t sync_code;        // target code carried by the sync packet
};

const TargetProfile& target_profile(int index);
std::uint16_t density_code(int index);    // DDR Density list index 0..8
std::uint16_t arm_speed_code(int index);  // ARM Speed list index 0..3
int read_word_count(int index);           // SIZE list index 0..4

// The USB vendor ID shared by every target. Vendor and product IDs come from
// the build configuration; a front end may replace them for one run.
std::uint16_t usb_vendor_id();
void catalogue_set_usb_ids(std::uint16_t vendor_id, const std::uint16_t product_ids[TARGET_COUNT]);

// Texts of the option lists, in list order.
struct OptionList {
    const char16_t* const* rows;
    int count;
};
OptionList target_list_texts();
OptionList density_list_texts();
OptionList arm_speed_list_texts();
OptionList ddr_cs_list_texts();
OptionList ddr_channel_list_texts();
OptionList size_list_texts();
