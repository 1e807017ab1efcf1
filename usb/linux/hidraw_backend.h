// HidBackend over Linux hidraw: the interfaces listed in sysfs, identity
// from their uevent, report lengths from their report descriptor, I/O on
// the device node.
#pragma once

#include <functional>
#include <string>

#include "usb/hid_backend.h"

// Opens a device node for reading and writing: a file descriptor, or -1.
using HidrawOpener = std::function<int(const std::string& path)>;

// The real opener: open(2) read-write, close-on-exec.
int hidraw_open_node(const std::string& path);

struct HidrawConfig {
    std::string sysfs_root = "/sys/class/hidraw";  // holds one folder per hidrawN
    std::string dev_root = "/dev";                 // holds the nodes hidrawN
    HidrawOpener opener = hidraw_open_node;
};

class HidrawBackend final : public HidBackend {
public:
    explicit HidrawBackend(HidrawConfig config = {});

    // dev_root/hidrawN for every hidrawN in sysfs_root, by node number.
    std::vector<std::string> enumerate() override;
    bool probe(const std::string& path, HidDeviceInfo* info) override;
    std::unique_ptr<HidDevice> open(const std::string& path) override;

private:
    HidrawConfig config_;
};
