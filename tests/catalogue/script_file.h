// Test scripts as real files, written byte for byte and opened for reading
// in text mode the way the Download opens an init script. Each test has its
// own folder below the build folder, so parallel runs never share a file.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "catalogue/script_reader.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace catalogue_test {

namespace fs = std::filesystem;

inline fs::path test_folder() {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    for (char& c : name)
        if (c == '/' || c == '\\') c = '_';  // parameterised test names
    return fs::path(ORVANE_BINARY_DIR) / "catalogue_test" / name;
}

// A stream that reports a read error on its first read: a stream over a
// file open for writing only. The C library on POSIX systems sets the error
// flag when a write-only stream is read; the Windows C library does not
// always, so there the stream is opened for reading over a descriptor that
// was opened for writing only, whose read fails.
inline std::FILE* open_unreadable(const fs::path& path) {
#ifdef _WIN32
    const int fd = _wopen(path.wstring().c_str(), _O_WRONLY | _O_TEXT);
    if (fd < 0) return nullptr;
    std::FILE* file = _fdopen(fd, "r");
    if (file == nullptr) _close(fd);
    return file;
#else
    return std::fopen(path.string().c_str(), "w");
#endif
}

enum class Open { for_reading, binary, unreadable };

// Writes `bytes` exactly (binary) and opens the file with mode "r" (or "rb"),
// or as a stream whose reads fail.
class ScriptFile {
public:
    explicit ScriptFile(std::string_view bytes, Open how = Open::for_reading) {
        static int serial = 0;
        const fs::path dir = test_folder();
        fs::create_directories(dir);
        path_ = dir / ("script-" + std::to_string(serial++) + ".txt");
        {
            std::ofstream out(path_, std::ios::binary | std::ios::trunc);
            out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        }
        if (how == Open::unreadable)
            file_ = open_unreadable(path_);
        else
            file_ = std::fopen(path_.string().c_str(), how == Open::binary ? "rb" : "r");
    }
    ScriptFile(const ScriptFile&) = delete;
    ScriptFile& operator=(const ScriptFile&) = delete;
    ~ScriptFile() {
        if (file_ != nullptr) std::fclose(file_);
        std::error_code ec;
        fs::remove(path_, ec);
    }
    std::FILE* get() const { return file_; }

private:
    fs::path path_;
    std::FILE* file_ = nullptr;
};

using Item = std::pair<std::uint32_t, std::uint32_t>;  // address, value

struct ReadResult {
    int rc = 0;
    int count = 0;            // the in-out count after the call
    std::vector<Item> items;  // the items stored, on success
    std::string msg;          // script_msg after the call
};

// Marks script_msg so a test can tell whether a reader wrote to it.
constexpr const char* MSG_SENTINEL = "untouched";

// Runs the reader of `format` on an open file with the given capacity.
inline ReadResult read_file(std::FILE* file, ScriptFormat format, int capacity) {
    std::snprintf(script_msg, sizeof script_msg, "%s", MSG_SENTINEL);
    std::vector<DcdItem> buffer(static_cast<std::size_t>(capacity) + 1, DcdItem{0xEEEEEEEE, 0xEEEEEEEE});
    ReadResult r;
    r.count = capacity;
    r.rc = format == SCRIPT_MEMORY ? parse_memory_script(file, buffer.data(), &r.count)
                                   : parse_setmem_script(file, buffer.data(), &r.count);
    // Nothing may be written past the capacity.
    EXPECT_EQ(buffer[static_cast<std::size_t>(capacity)].addr, 0xEEEEEEEEu);
    if (r.rc == 0)
        for (int i = 0; i < r.count && i < capacity; ++i) r.items.emplace_back(buffer[i].addr, buffer[i].value);
    r.msg = script_msg;
    return r;
}

// Writes `text` to a file and reads it back with the reader of `format`.
inline ReadResult read_text(std::string_view text, ScriptFormat format, int capacity = 1024,
                            Open how = Open::for_reading) {
    ScriptFile file(text, how);
    EXPECT_NE(file.get(), nullptr);
    if (file.get() == nullptr) return {};
    return read_file(file.get(), format, capacity);
}

}  // namespace catalogue_test
