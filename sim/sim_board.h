// The simulated board: a HidBackend that behaves like a bench of real
// boards in serial download mode. Usable from every front end (orvane-cli
// --simulate, the GUIs' --simulate) and from the tests.
//
// Each board presents its boot ROM under the configured vendor ID and its
// target's product ID, with output reports of 16 and 1024 data bytes (IDs 1
// and 2) and input reports of 4 and 64 bytes (IDs 3 and 4). The ROM answers
// the security query, the register writes, the image write and the jump;
// after the jump the board leaves the bus and, after its boot time, comes
// back as the test firmware with the same IDs (reports of 64 bytes, ID 2
// out, ID 4 in). The firmware takes the sync head packet, prints a banner,
// and answers calibration, stress test, set voltage, read and write memory
// with text and one status frame each, paced in the clock's time.
//
// When the host closes the firmware's device (the next Download tears the
// link down), the board resets into serial download mode, as if the bench's
// reset line were wired to the host, so a new Download finds the ROM again.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "catalogue/script_reader.h"
#include "sim/sim_scenarios.h"
#include "usb/clock.h"
#include "usb/hid_backend.h"

// What one simulated board has seen and holds, for tests and the fault matrix.
struct SimBoardRecord {
    std::vector<DcdItem> register_writes;      // acknowledged ones, in order
    std::vector<std::uint8_t> image;           // the last image received
    std::uint32_t image_addr = 0;
    std::uint32_t jump_addr = 0;
    int jumps = 0;
    std::vector<std::vector<std::uint8_t>> packets;  // firmware-link packets, whole
    int firmware_reports = 0;                  // input reports the firmware sent
    int open_devices = 0;                      // handles open now
};

class SimBoard final : public HidBackend {
public:
    SimBoard(Clock& clock, std::uint16_t vendor_id, SimScenarios scenarios = {});
    ~SimBoard() override;
    SimBoard(const SimBoard&) = delete;
    SimBoard& operator=(const SimBoard&) = delete;

    std::vector<std::string> enumerate() override;
    bool probe(const std::string& path, HidDeviceInfo* info) override;
    std::unique_ptr<HidDevice> open(const std::string& path) override;

    // The record of the board of a target row (0-5).
    SimBoardRecord record(int target) const;
    // Puts the board of a target back into serial download mode.
    void reset(int target);

    struct Impl;

private:
    std::shared_ptr<Impl> impl_;
};
