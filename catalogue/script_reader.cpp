// The two init-script readers. Both run read_script, which reads the file
// byte by byte, cuts each line at its comment marker and turns every line
// whose first token is the keyword into one register write (token 3 the
// address, token 5 the value).
//
// Lines of any length with any number of tokens are read: the line lives in
// a growing std::string and only tokens 1, 3 and 5 are looked at, so nothing
// can overrun. A last line without a line feed is read like any other, so a
// final register write is never dropped. Nor is a first one: a UTF-8
// byte-order mark, which editors on Windows put in front of the first line,
// is not part of that line's first token.
#include "catalogue/script_reader.h"

#include <cstring>
#include <string>
#include <string_view>

#include "catalogue/hex_number.h"

char script_msg[SCRIPT_MSG_SIZE];

namespace {

enum class LineResult { ok, bad_address, bad_value, over_capacity };

bool is_separator(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

// Token number `wanted` (1-based) of the line, or empty text when the line
// has fewer tokens.
std::string_view token_at(std::string_view line, int wanted) {
    std::size_t pos = 0;
    int number = 0;
    while (pos < line.size()) {
        while (pos < line.size() && is_separator(line[pos])) ++pos;
        if (pos == line.size()) break;
        std::size_t end = pos;
        while (end < line.size() && !is_separator(line[end])) ++end;
        if (++number == wanted) return line.substr(pos, end - pos);
        pos = end;
    }
    return {};
}

struct Reader {
    std::string_view keyword;
    std::string_view comment_marker;
    DcdItem* items;
    int capacity;
    int stored = 0;

    // One complete line, without its line feed and a carriage return before it.
    LineResult take_line(std::string_view line) {
        if (!comment_marker.empty()) {
            const std::size_t cut = line.find(comment_marker);
            if (cut != std::string_view::npos) line = line.substr(0, cut);
        }
        if (line.empty()) return LineResult::ok;
        if (token_at(line, 1) != keyword) return LineResult::ok;
        DcdItem item{};
        if (parse_hex_text(token_at(line, 3), &item.addr) != 0) return LineResult::bad_address;
        if (parse_hex_text(token_at(line, 5), &item.value) != 0) return LineResult::bad_value;
        if (stored >= capacity) return LineResult::over_capacity;
        items[stored++] = item;
        return LineResult::ok;
    }
};

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// The text of a complete line: without its line end and, on the first line,
// without a byte-order mark.
std::string_view line_text(const std::string& line, bool first_line) {
    std::string_view text(line);
    if (first_line && text.substr(0, kUtf8Bom.size()) == kUtf8Bom) text.remove_prefix(kUtf8Bom.size());
    if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    return text;
}

int fail_with_read_error() {
    std::snprintf(script_msg, sizeof script_msg, "Read the init script error.\r\n");
    return -1;
}

}  // namespace

int read_script(std::FILE* file, DcdItem* items, int* count, const char* keyword,
                const char* comment_marker) {
    if (file == nullptr || count == nullptr || keyword == nullptr) return fail_with_read_error();
    const int capacity = (*count > 0 && items != nullptr) ? *count : 0;
    Reader reader{keyword, comment_marker != nullptr ? comment_marker : "", items, capacity};

    std::string line;
    line.reserve(SCRIPT_LINE_MAX);
    long long line_number = 0;
    bool at_end = false;
    while (!at_end) {
        const int c = std::getc(file);
        if (c == EOF) {
            if (std::ferror(file)) return fail_with_read_error();
            at_end = true;
            if (line.empty()) break;  // the file ended with its line feed
        } else {
            line.push_back(static_cast<char>(c));
            if (c != '\n') continue;
        }
        ++line_number;
        switch (reader.take_line(line_text(line, line_number == 1))) {
            case LineResult::ok:
                break;
            case LineResult::bad_address:
                std::snprintf(script_msg, sizeof script_msg,
                              "Syntax error in line %lld: address is not a valid num.\r\n", line_number);
                return -1;
            case LineResult::bad_value:
                std::snprintf(script_msg, sizeof script_msg,
                              "Syntax error in line %lld: value is not a valid num.\r\n", line_number);
                return -1;
            case LineResult::over_capacity:
                std::snprintf(script_msg, sizeof script_msg,
                              "The number of ddr init items out of the max value(%d)\r\n", capacity);
                return -1;
        }
        line.clear();
    }
    *count = reader.stored;
    return 0;
}

int parse_setmem_script(std::FILE* file, DcdItem* items, int* count) {
    return read_script(file, items, count, "setmem", "//");
}

int parse_memory_script(std::FILE* file, DcdItem* items, int* count) {
    return read_script(file, items, count, "memory", "#");
}
