// The two init-script readers. Both run read_script, which reads the file
// byte by byte, cuts each line at its comment marker and turns every line
// whose first token is the keyword into one register write (token 3 the
// address, token 5 the value).
//
// Lines of any length with any number of tokens are read, in constant
// memory: the bytes of a line go through a small scanner that keeps only the
// first few characters of tokens 1, 3 and 5. Anything longer than the
// keyword or than the longest valid number cannot match either, so a kept
// prefix gives the same result as the whole token. Nothing can overrun, and a
// file without line feeds does not grow a line without bound.
//
// A last line without a line feed is read like any other, so a final
// register write is never dropped. Nor is a first one: a UTF-8 byte-order
// mark, which editors on Windows put at the start of a file, is not part of
// the first line's first token.
#include "catalogue/script_reader.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "catalogue/hex_number.h"

char script_msg[SCRIPT_MSG_SIZE];

namespace {

// What a complete line is: read over, a register write, or a faulty one.
enum class LineResult { read_over, item, bad_address, bad_value };

// Longest valid number: "0x" and eight digits.
constexpr std::size_t kLongestNumber = 10;

constexpr unsigned char kUtf8Bom[] = {0xEF, 0xBB, 0xBF};

// The bytes of one line, without its line feed, in two stages: the comment
// cut, then the split into tokens, of which 1, 3 and 5 are kept.
class LineScanner {
public:
    LineScanner(std::string_view keyword, std::string_view marker)
        : keyword_(keyword),
          marker_(marker),
          keep_(std::max(keyword.size(), kLongestNumber) + 1) {
        for (std::string& t : kept_) t.reserve(keep_);
    }

    // One byte of the line. Bytes that match the beginning of the comment
    // marker are held back (as a count: they are the marker's first bytes)
    // until it is clear whether the whole marker follows.
    void put(char c) {
        if (in_comment_) return;
        if (marker_.empty()) {
            split(c);
            return;
        }
        if (c == marker_[matched_]) {
            if (++matched_ == marker_.size()) {
                matched_ = 0;
                in_comment_ = true;
            }
            return;
        }
        if (matched_ == 0) {
            split(c);
            return;
        }
        // The held bytes are not the marker after all: the first is text, and
        // the others may begin it again.
        const std::size_t held = matched_;
        matched_ = 0;
        split(marker_[0]);
        for (std::size_t i = 1; i < held; ++i) put(marker_[i]);
        put(c);
    }

    // The line is complete: what it is, and its item if it is a register
    // write. The scanner is then ready for the next line.
    LineResult finish(DcdItem* item) {
        if (!in_comment_)
            for (std::size_t i = 0; i < matched_; ++i) split(marker_[i]);
        LineResult result = LineResult::read_over;
        if (tokens_ >= 1 && kept_[0] == keyword_) {
            if (parse_hex_text(kept_[1], &item->addr) != 0)
                result = LineResult::bad_address;
            else if (parse_hex_text(kept_[2], &item->value) != 0)
                result = LineResult::bad_value;
            else
                result = LineResult::item;
        }
        matched_ = 0;
        for (std::string& t : kept_) t.clear();
        tokens_ = 0;
        in_token_ = false;
        in_comment_ = false;
        return result;
    }

private:
    void split(char c) {
        if (c == ' ' || c == '\t') {
            in_token_ = false;
            return;
        }
        if (!in_token_) {
            in_token_ = true;
            if (tokens_ < 6) ++tokens_;  // 6 stands for every token after the fifth
        }
        if (tokens_ % 2 == 0) return;  // tokens 2, 4 and after 5 are never looked at
        std::string& t = kept_[tokens_ / 2];
        if (t.size() < keep_) t.push_back(c);
    }

    std::string_view keyword_;
    std::string_view marker_;
    std::size_t keep_;      // characters kept of tokens 1, 3 and 5
    std::string kept_[3];   // tokens 1, 3 and 5, at most keep_ characters each
    std::size_t matched_ = 0;  // bytes held back: the marker's first ones
    int tokens_ = 0;        // tokens begun so far, counted up to 6
    bool in_token_ = false;
    bool in_comment_ = false;
};

int fail_with_read_error() {
    std::snprintf(script_msg, sizeof script_msg, "Read the init script error.\r\n");
    return -1;
}

// The file's bytes, without a UTF-8 byte-order mark at its start.
class ByteSource {
public:
    explicit ByteSource(std::FILE* file) : file_(file) {
        for (unsigned char b : kUtf8Bom) {
            const int c = std::getc(file_);
            if (c == EOF) break;
            back_[count_++] = static_cast<unsigned char>(c);
            if (c != b) return;
        }
        if (count_ == sizeof kUtf8Bom) count_ = 0;
    }

    // The next byte, or EOF at the end of the file or on a read error.
    int next() {
        if (taken_ < count_) return back_[taken_++];
        return std::getc(file_);
    }

private:
    std::FILE* file_;
    unsigned char back_[sizeof kUtf8Bom] = {};
    int count_ = 0;
    int taken_ = 0;
};

}  // namespace

int read_script(std::FILE* file, DcdItem* items, int* count, const char* keyword,
                const char* comment_marker) {
    if (file == nullptr || count == nullptr || keyword == nullptr) return fail_with_read_error();
    const int capacity = (*count > 0 && items != nullptr) ? *count : 0;
    LineScanner scanner(keyword, comment_marker != nullptr ? comment_marker : "");
    ByteSource source(file);

    int stored = 0;
    long long line_number = 0;
    bool line_begun = false;  // a byte of the current line has been read
    bool cr_held = false;     // a carriage return, dropped if a line feed follows
    bool at_end = false;
    while (!at_end) {
        const int c = source.next();
        if (c == EOF) {
            if (std::ferror(file)) return fail_with_read_error();
            at_end = true;
            if (!line_begun) break;  // the file ended with its line feed
        } else {
            line_begun = true;
            if (c != '\n') {
                if (cr_held) scanner.put('\r');
                cr_held = c == '\r';
                if (!cr_held) scanner.put(static_cast<char>(c));
                continue;
            }
        }
        cr_held = false;
        line_begun = false;
        ++line_number;
        DcdItem item{};
        switch (scanner.finish(&item)) {
            case LineResult::read_over:
                break;
            case LineResult::item:
                if (stored < capacity) {
                    items[stored++] = item;
                    break;
                }
                std::snprintf(script_msg, sizeof script_msg,
                              "The number of ddr init items out of the max value(%d)\r\n", capacity);
                return -1;
            case LineResult::bad_address:
                std::snprintf(script_msg, sizeof script_msg,
                              "Syntax error in line %lld: address is not a valid num.\r\n", line_number);
                return -1;
            case LineResult::bad_value:
                std::snprintf(script_msg, sizeof script_msg,
                              "Syntax error in line %lld: value is not a valid num.\r\n", line_number);
                return -1;
        }
    }
    *count = stored;
    return 0;
}

int parse_setmem_script(std::FILE* file, DcdItem* items, int* count) {
    return read_script(file, items, count, "setmem", "//");
}

int parse_memory_script(std::FILE* file, DcdItem* items, int* count) {
    return read_script(file, items, count, "memory", "#");
}
