// Sends one packet of the firmware link with the report ID the sync head
// packet set. True when every byte went out.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "usb/hid_link.h"

template <std::size_t N>
bool fw_send_packet(const std::array<std::uint8_t, N>& packet) {
    std::int32_t written = 0;
    hid_write(packet.data(), static_cast<std::uint32_t>(N), written);
    return written == static_cast<std::int32_t>(N);
}
