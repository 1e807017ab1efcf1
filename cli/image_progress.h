// A progress bar for the image load, drawn on a terminal from the output
// reports as they go out: a file-write command block announces the image's
// length, the data reports that follow count towards it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

class ImageProgress {
public:
    explicit ImageProgress(std::FILE* out) : out_(out) {}
    // Sees one output report that went out whole (byte 0 the report ID).
    void report_written(const std::uint8_t* report, std::size_t length);

private:
    void draw(bool done);

    std::FILE* out_;
    std::uint64_t total_ = 0;
    std::uint64_t sent_ = 0;
    int drawn_percent_ = -1;
    bool active_ = false;
};
