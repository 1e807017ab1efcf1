#include "usb/linux/hidraw_sysfs.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {

constexpr std::size_t HIDRAW_DESCRIPTOR_MAX = 4096;  // the kernel's limit
constexpr std::size_t HIDRAW_UEVENT_MAX = 16384;

bool read_small_file(const std::filesystem::path& path, std::size_t limit, std::string* out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out->assign(limit + 1, '\0');
    in.read(out->data(), static_cast<std::streamsize>(out->size()));
    const std::size_t got = static_cast<std::size_t>(in.gcount());
    if (in.bad() || got > limit) return false;
    out->resize(got);
    return true;
}

bool parse_hex_field(const std::string& text, std::size_t begin, std::size_t end, std::uint32_t* value) {
    if (begin >= end || end - begin > 8) return false;
    std::uint32_t v = 0;
    for (std::size_t i = begin; i < end; ++i) {
        const char c = text[i];
        int digit;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else return false;
        v = v << 4 | static_cast<std::uint32_t>(digit);
    }
    *value = v;
    return true;
}

}  // namespace

std::optional<unsigned> hidraw_node_number(const std::string& name) {
    static const std::string prefix = "hidraw";
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return std::nullopt;
    if (name.size() - prefix.size() > 9) return std::nullopt;
    unsigned n = 0;
    for (std::size_t i = prefix.size(); i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') return std::nullopt;
        n = n * 10 + static_cast<unsigned>(name[i] - '0');
    }
    return n;
}

bool hidraw_parse_uevent(const std::string& text, std::uint16_t* vendor_id, std::uint16_t* product_id) {
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        static const std::string key = "HID_ID=";
        if (line.compare(0, key.size(), key) != 0) continue;
        const std::size_t c1 = line.find(':', key.size());
        const std::size_t c2 = c1 == std::string::npos ? c1 : line.find(':', c1 + 1);
        if (c2 == std::string::npos) return false;
        std::uint32_t bus = 0, vendor = 0, product = 0;
        if (!parse_hex_field(line, key.size(), c1, &bus) || !parse_hex_field(line, c1 + 1, c2, &vendor) ||
            !parse_hex_field(line, c2 + 1, line.size(), &product) || vendor > 0xFFFF || product > 0xFFFF)
            return false;
        *vendor_id = static_cast<std::uint16_t>(vendor);
        *product_id = static_cast<std::uint16_t>(product);
        return true;
    }
    return false;
}

std::vector<std::string> hidraw_list_nodes(const std::string& sysfs_root) {
    std::vector<std::pair<unsigned, std::string>> found;
    std::error_code ec;
    std::filesystem::directory_iterator it(sysfs_root, ec);
    if (ec) return {};
    for (const std::filesystem::directory_iterator end; it != end; it.increment(ec)) {
        if (ec) break;
        std::string name = it->path().filename().string();
        if (const std::optional<unsigned> n = hidraw_node_number(name)) found.emplace_back(*n, std::move(name));
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> names;
    for (auto& f : found) names.push_back(std::move(f.second));
    return names;
}

bool hidraw_read_sysfs(const std::string& sysfs_root, const std::string& node, std::uint16_t* vendor_id,
                       std::uint16_t* product_id, HidReportTable* table) {
    if (!hidraw_node_number(node)) return false;
    const std::filesystem::path device = std::filesystem::path(sysfs_root) / node / "device";
    std::string uevent, descriptor;
    if (!read_small_file(device / "uevent", HIDRAW_UEVENT_MAX, &uevent) ||
        !hidraw_parse_uevent(uevent, vendor_id, product_id))
        return false;
    if (!read_small_file(device / "report_descriptor", HIDRAW_DESCRIPTOR_MAX, &descriptor)) return false;
    *table = hid_report_table(reinterpret_cast<const std::uint8_t*>(descriptor.data()), descriptor.size());
    return table->valid;
}
