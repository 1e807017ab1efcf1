// A fake hidraw world for the backend's real code: a sysfs tree in a
// temporary folder, and for each device node one end of a SOCK_SEQPACKET
// socket pair, which keeps report boundaries exactly as hidraw does. The
// test holds the other end, the board's.
#pragma once

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "usb/linux/hidraw_backend.h"

using Bytes = std::vector<std::uint8_t>;

// The board's interface: ID 1 output 16, ID 2 output 1024, ID 3 input 4,
// ID 4 input 64.
inline const Bytes BOARD = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x01, 0x75, 0x08, 0x95, 0x10,
                            0x09, 0x01, 0x91, 0x02, 0x85, 0x02, 0x96, 0x00, 0x04, 0x09, 0x01, 0x91, 0x02,
                            0x85, 0x03, 0x95, 0x04, 0x09, 0x01, 0x81, 0x02, 0x85, 0x04, 0x95, 0x40, 0x09,
                            0x01, 0x81, 0x02, 0xC0};

class FakeHidrawTree {
public:
    FakeHidrawTree() {
        char pattern[] = "/tmp/orvane-hidraw-XXXXXX";
        if (::mkdtemp(pattern) == nullptr) ADD_FAILURE() << "mkdtemp failed";
        root = pattern;
        config.sysfs_root = (root / "sys").string();
        config.dev_root = (root / "dev").string();
        config.opener = [this](const std::string& path) {
            auto it = nodes.find(path);
            return it == nodes.end() ? -1 : ::dup(it->second);
        };
    }
    ~FakeHidrawTree() {
        for (auto& [path, fd] : nodes) ::close(fd);
        for (int fd : peers) ::close(fd);
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }
    FakeHidrawTree(const FakeHidrawTree&) = delete;
    FakeHidrawTree& operator=(const FakeHidrawTree&) = delete;

    // A sysfs entry hidrawN; with a node, returns the board's end of its
    // socket pair, else -1.
    int add_node(unsigned n, const std::string& uevent_text, const Bytes* descriptor, bool with_node = true) {
        const std::filesystem::path device =
            std::filesystem::path(config.sysfs_root) / ("hidraw" + std::to_string(n)) / "device";
        std::filesystem::create_directories(device);
        std::ofstream(device / "uevent") << uevent_text;
        if (descriptor != nullptr) {
            std::ofstream out(device / "report_descriptor", std::ios::binary);
            out.write(reinterpret_cast<const char*>(descriptor->data()),
                      static_cast<std::streamsize>(descriptor->size()));
        }
        if (!with_node) return -1;
        int pair[2];
        EXPECT_EQ(::socketpair(AF_UNIX, SOCK_SEQPACKET, 0, pair), 0);
        nodes[node_path(n)] = pair[0];
        peers.push_back(pair[1]);
        return pair[1];
    }
    std::string node_path(unsigned n) const { return config.dev_root + "/hidraw" + std::to_string(n); }

    static std::string uevent(std::uint16_t vid, std::uint16_t pid) {
        char text[128];
        std::snprintf(text, sizeof text, "DRIVER=hid-generic\nHID_ID=0003:%08X:%08X\nHID_NAME=Board\n", vid, pid);
        return text;
    }
    static Bytes receive(int fd) {
        Bytes buffer(4096);
        const ssize_t n = ::recv(fd, buffer.data(), buffer.size(), MSG_DONTWAIT);
        buffer.resize(n < 0 ? 0 : static_cast<std::size_t>(n));
        return buffer;
    }
    static void send_report(int fd, const Bytes& report) {
        ASSERT_EQ(::send(fd, report.data(), report.size(), 0), static_cast<ssize_t>(report.size()));
    }

    std::filesystem::path root;
    HidrawConfig config;
    std::map<std::string, int> nodes;  // path -> the host's end
    std::vector<int> peers;            // the boards' ends
};
