// What the hidraw backend reads from sysfs, as plain functions.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "usb/hid_report_descriptor.h"

// N of a name "hidrawN"; none for anything else.
std::optional<unsigned> hidraw_node_number(const std::string& name);

// Vendor and product from a uevent text's HID_ID=BBBB:VVVVVVVV:PPPPPPPP line.
bool hidraw_parse_uevent(const std::string& text, std::uint16_t* vendor_id, std::uint16_t* product_id);

// Node names hidrawN present below sysfs_root, by node number.
std::vector<std::string> hidraw_list_nodes(const std::string& sysfs_root);

// The interface's uevent identity and its report table, read from
// sysfs_root/<node>/device/. False when either cannot be read or the
// descriptor is not valid.
bool hidraw_read_sysfs(const std::string& sysfs_root, const std::string& node, std::uint16_t* vendor_id,
                       std::uint16_t* product_id, HidReportTable* table);
