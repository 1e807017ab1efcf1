#include "cli/image_progress.h"

#include <algorithm>
#include <string>

namespace {

constexpr std::uint8_t COMMAND_REPORT_ID = 1;
constexpr std::uint8_t DATA_REPORT_ID = 2;
constexpr int BAR_WIDTH = 40;

}  // namespace

void ImageProgress::report_written(const std::uint8_t* report, std::size_t length) {
    if (length >= 17 && report[0] == COMMAND_REPORT_ID && report[1] == 0x04 && report[2] == 0x04) {
        // The file-write block: its data count (bytes 7-10 of the block) is
        // the image length, high byte first.
        total_ = (std::uint64_t{report[8]} << 24) | (std::uint64_t{report[9]} << 16) |
                 (std::uint64_t{report[10]} << 8) | report[11];
        sent_ = 0;
        drawn_percent_ = -1;
        active_ = total_ > 0;
        if (active_) draw(false);
        return;
    }
    if (!active_ || length < 2 || report[0] != DATA_REPORT_ID) return;
    sent_ = std::min(total_, sent_ + (length - 1));
    draw(sent_ == total_);
    if (sent_ == total_) active_ = false;
}

void ImageProgress::draw(bool done) {
    const int percent = static_cast<int>(sent_ * 100 / total_);
    if (percent == drawn_percent_ && !done) return;
    drawn_percent_ = percent;
    const int filled = percent * BAR_WIDTH / 100;
    std::string bar = "\rImage [" + std::string(static_cast<std::size_t>(filled), '#') +
                      std::string(static_cast<std::size_t>(BAR_WIDTH - filled), '.') + "] " +
                      std::to_string(percent) + "%";
    if (done) bar += "\n";
    std::fputs(bar.c_str(), out_);
    std::fflush(out_);
}
