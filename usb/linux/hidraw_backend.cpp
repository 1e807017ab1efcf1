#include "usb/linux/hidraw_backend.h"

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>

#include "usb/linux/hidraw_device.h"
#include "usb/linux/hidraw_sysfs.h"

int hidraw_open_node(const std::string& path) {
    return ::open(path.c_str(), O_RDWR | O_CLOEXEC);
}

HidrawBackend::HidrawBackend(HidrawConfig config) : config_(std::move(config)) {}

std::vector<std::string> HidrawBackend::enumerate() {
    std::vector<std::string> paths;
    for (const std::string& node : hidraw_list_nodes(config_.sysfs_root))
        paths.push_back((std::filesystem::path(config_.dev_root) / node).string());
    return paths;
}

bool HidrawBackend::probe(const std::string& path, HidDeviceInfo* info) {
    const std::string node = std::filesystem::path(path).filename().string();
    HidReportTable table;
    HidDeviceInfo found;
    if (!hidraw_read_sysfs(config_.sysfs_root, node, &found.vendor_id, &found.product_id, &table)) return false;
    const HidReportLengths lengths = hid_report_lengths(table);
    found.input_report_length = lengths.input;
    found.output_report_length = lengths.output;
    // Like the Windows probe, a node that cannot be opened does not count.
    const int fd = config_.opener ? config_.opener(path) : -1;
    if (fd < 0) return false;
    ::close(fd);
    *info = found;
    return true;
}

std::unique_ptr<HidDevice> HidrawBackend::open(const std::string& path) {
    const std::string node = std::filesystem::path(path).filename().string();
    HidReportTable table;
    std::uint16_t vendor_id = 0, product_id = 0;
    if (!hidraw_read_sysfs(config_.sysfs_root, node, &vendor_id, &product_id, &table)) return nullptr;
    const int fd = config_.opener ? config_.opener(path) : -1;
    if (fd < 0) return nullptr;
    return hidraw_device_create(fd, table);
}
