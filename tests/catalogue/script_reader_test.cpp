// The two init-script readers: what a line yields, which lines are read
// over, the messages and their line numbers, the capacity, line ends and the
// stream's read error.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "catalogue/script_reader.h"
#include "catalogue/target_catalogue.h"
#include "script_file.h"

using catalogue_test::Item;
using catalogue_test::MSG_SENTINEL;
using catalogue_test::read_file;
using catalogue_test::read_text;
using catalogue_test::ReadResult;
using catalogue_test::ScriptFile;

namespace {

std::string address_error(int line) {
    return "Syntax error in line " + std::to_string(line) + ": address is not a valid num.\r\n";
}
std::string value_error(int line) {
    return "Syntax error in line " + std::to_string(line) + ": value is not a valid num.\r\n";
}
std::string capacity_error(int capacity) {
    return "The number of ddr init items out of the max value(" + std::to_string(capacity) + ")\r\n";
}

struct ScriptCase {
    const char* what;
    ScriptFormat format;
    std::string text;
    std::vector<Item> items;  // expected on success
    std::string msg;          // expected message; empty = success
};

void expect_case(const ScriptCase& c) {
    SCOPED_TRACE(c.what);
    const ReadResult r = read_text(c.text, c.format);
    if (c.msg.empty()) {
        EXPECT_EQ(r.rc, 0);
        EXPECT_EQ(r.count, static_cast<int>(c.items.size()));
        EXPECT_EQ(r.items, c.items);
        EXPECT_EQ(r.msg, MSG_SENTINEL) << "a successful read leaves the message alone";
    } else {
        EXPECT_EQ(r.rc, -1);
        EXPECT_EQ(r.msg, c.msg);
        EXPECT_EQ(r.count, 1024) << "a failed read leaves the count alone";
    }
}

TEST(ScriptReader, SetmemLines) {
    const ScriptCase cases[] = {
        {"plain line", SCRIPT_SETMEM, "setmem /32 0x021B0000 = 0x00000001\n", {{0x021B0000, 1}}, ""},
        {"tabs, leading and repeated blanks", SCRIPT_SETMEM, " \t setmem\t/32  \t0x021B0004\t=\t0x2\n",
         {{0x021B0004, 2}}, ""},
        {"tokens 2 and 4 may be any word, tokens after 5 are ignored", SCRIPT_SETMEM,
         "setmem /8 0x10 := 0x20 0xZZ more words\n", {{0x10, 0x20}}, ""},
        {"repeated addresses stay, in order", SCRIPT_SETMEM,
         "setmem /32 0x5 = 0x1\nsetmem /32 0x5 = 0x2\nsetmem /32 0x4 = 0x3\n",
         {{5, 1}, {5, 2}, {4, 3}}, ""},
        {"keyword in another letter case is read over", SCRIPT_SETMEM,
         "SETMEM /32 0x1 = 0x2\nSetmem /32 0x1 = 0x2\nsetmem: /32 0x1 = 0x2\nsetmemx /32 bad = bad\n", {}, ""},
        {"keyword not first is read over", SCRIPT_SETMEM, "write setmem /32 bad = bad\n", {}, ""},
        {"memory lines are read over", SCRIPT_SETMEM, "memory set 0x30400000 32 0x1\n# memory set 0x1 32 0x2\n",
         {}, ""},
        {"number sign is no comment here", SCRIPT_SETMEM, "# note\nsetmem /32 0x1 = 0x2 # note\n", {{1, 2}}, ""},
        {"comment lines and trailing comments", SCRIPT_SETMEM,
         "// setmem /32 0x1 = 0x2\nsetmem /32 0x3 = 0x4 // setmem /32 0x5 = 0x6\n", {{3, 4}}, ""},
        {"marker right after the value", SCRIPT_SETMEM, "setmem /32 0x3 = 0x4//note\n", {{3, 4}}, ""},
        {"a single slash is no marker", SCRIPT_SETMEM, "setmem /32 0x3 = 0x4 / 0x5\n/\n", {{3, 4}}, ""},
        {"a slash attached to the value", SCRIPT_SETMEM, "setmem /32 0x3 = 0x4/\n", {}, value_error(1)},
        {"a slash before the value", SCRIPT_SETMEM, "setmem /32 0x3 = /0x4\n", {}, value_error(1)},
        {"marker inside the address cuts the line", SCRIPT_SETMEM, "setmem /32 0x10//0x20 = 0x1\n", {},
         value_error(1)},
        {"only two tokens", SCRIPT_SETMEM, "setmem /32\n", {}, address_error(1)},
        {"keyword alone", SCRIPT_SETMEM, "setmem\n", {}, address_error(1)},
        {"only four tokens", SCRIPT_SETMEM, "setmem /32 0x1 =\n", {}, value_error(1)},
        {"equals attached to address and value", SCRIPT_SETMEM, "setmem /32 0x021B0000=0x1\n", {},
         address_error(1)},
        {"equals attached to the value", SCRIPT_SETMEM, "setmem /32 0x021B0000 =0x1\n", {}, value_error(1)},
        {"equals attached to the address", SCRIPT_SETMEM, "setmem /32 0x021B0000= 0x1\n", {}, address_error(1)},
        {"address is tested before the value", SCRIPT_SETMEM, "setmem /32 bad = bad\n", {}, address_error(1)},
        {"decimal value", SCRIPT_SETMEM, "setmem /32 0x1 = 16\n", {}, value_error(1)},
        {"nine-digit value", SCRIPT_SETMEM, "setmem /32 0x1 = 0x000000001\n", {}, value_error(1)},
        {"a carriage return inside the line is part of a token", SCRIPT_SETMEM, "setmem /32 0x1\r = 0x2\n", {},
         address_error(1)},
        {"a carriage return before a comment is part of a token", SCRIPT_SETMEM,
         "setmem /32 0x1 = 0x2\r// c\r\n", {}, value_error(1)},
        {"zero byte inside the address", SCRIPT_SETMEM, std::string("setmem /32 0x1\0 = 0x2\n", 23), {},
         address_error(1)},
        {"empty file", SCRIPT_SETMEM, "", {}, ""},
        {"only comments and blank lines", SCRIPT_SETMEM, "// a\n\n   \n\t\n", {}, ""},
    };
    for (const ScriptCase& c : cases) expect_case(c);
}

TEST(ScriptReader, MemoryLines) {
    const ScriptCase cases[] = {
        {"plain line", SCRIPT_MEMORY, "memory set 0x30400000 32 0x00000001\n", {{0x30400000, 1}}, ""},
        {"comment lines and marker right after the value", SCRIPT_MEMORY,
         "# memory set 0x1 32 0x2\nmemory set 0x30400004 32 0xA#note\n", {{0x30400004, 0xA}}, ""},
        {"setmem lines and // comments are read over", SCRIPT_MEMORY,
         "setmem /32 0x1 = 0x2\n// memory set bad 32 bad\n", {}, ""},
        {"keyword in another letter case is read over", SCRIPT_MEMORY,
         "MEMORY set 0x1 32 0x2\nMemory set bad 32 bad\n", {}, ""},
        {"double slash is no comment here", SCRIPT_MEMORY, "memory set 0x1 32 0x2 // note\n", {{1, 2}}, ""},
        {"only four tokens", SCRIPT_MEMORY, "memory set 0x30400000 32\n", {}, value_error(1)},
        {"marker inside the address cuts the line", SCRIPT_MEMORY, "memory set 0x30#400000 32 0x1\n", {},
         value_error(1)},
    };
    for (const ScriptCase& c : cases) expect_case(c);
}

// Both readers are read_script with their keyword and marker. The marker is
// found at its first place even where its beginning repeats, and a beginning
// of it that does not go on is text.
TEST(ScriptReader, ReadScriptWithAnyKeywordAndMarker) {
    ScriptFile file("kw x 0x1 y 0x2aaab c\nkw x 0x3 y 0x4 a aa aab kw\nkw x 0x5 y 0x6aa\n");
    ASSERT_NE(file.get(), nullptr);
    DcdItem items[4] = {};
    int count = 4;
    ASSERT_EQ(read_script(file.get(), items, &count, "kw", "aab"), 0) << script_msg;
    ASSERT_EQ(count, 3);
    EXPECT_EQ(items[0].addr, 1u);
    EXPECT_EQ(items[0].value, 0x2Au);
    EXPECT_EQ(items[1].addr, 3u);
    EXPECT_EQ(items[1].value, 4u);
    // A beginning of the marker at the line's end is text.
    EXPECT_EQ(items[2].addr, 5u);
    EXPECT_EQ(items[2].value, 0x6AAu);
}

// Every line counts, whatever it holds, and each call starts again at 1.
TEST(ScriptReader, LineNumbersCountEveryLine) {
    const ScriptCase cases[] = {
        {"four comment lines first", SCRIPT_SETMEM, "// 1\n// 2\n// 3\n// 4\nsetmem /32 0x1 = nope\n", {},
         value_error(5)},
        {"blank, blank-looking and read-over lines", SCRIPT_SETMEM,
         "\n   \n\t\nSETMEM x y z\nsetmem /32 0x1 = 0x2\nsetmem /32 0xG = 0x2\n", {}, address_error(6)},
        {"CR LF line ends", SCRIPT_SETMEM, "// a\r\n\r\n \t\r\nsetmem /32 q = 0x1\r\n", {}, address_error(4)},
        {"memory format", SCRIPT_MEMORY, "#1\n#2\n#3\n#4\nmemory set 0x3040000G 32 0x1\n", {}, address_error(5)},
        {"after a line far longer than the format's 254 characters", SCRIPT_SETMEM,
         "// " + std::string(1000, 'x') + "\nsetmem /32 0x1 = 0x2\nsetmem /32 0x1 = 0x\n", {}, value_error(3)},
    };
    for (const ScriptCase& c : cases) expect_case(c);
}

// A register write in the last line counts even without its line feed: a
// dropped final write would leave the DDR controller half set up.
TEST(ScriptReader, LastLineWithoutLineFeed) {
    const ScriptCase cases[] = {
        {"setmem", SCRIPT_SETMEM, "setmem /32 0x1 = 0x2\nsetmem /32 0x3 = 0x4", {{1, 2}, {3, 4}}, ""},
        {"memory with trailing comment", SCRIPT_MEMORY, "memory set 0x30400000 32 0x1 # end",
         {{0x30400000, 1}}, ""},
        {"only line", SCRIPT_SETMEM, "setmem /32 0x7 = 0x8", {{7, 8}}, ""},
        {"its faults are reported with its number", SCRIPT_SETMEM, "\n\nsetmem /32 0x3 = 0x", {},
         value_error(3)},
        {"CR LF file", SCRIPT_SETMEM, "setmem /32 0x1 = 0x2\r\nsetmem /32 0x3 = 0x4", {{1, 2}, {3, 4}}, ""},
    };
    for (const ScriptCase& c : cases) expect_case(c);
}

// Editors on Windows may save a script with a UTF-8 byte-order mark; it must
// not hide the first line's register write. Only the file's start holds one.
TEST(ScriptReader, ByteOrderMarkBeforeTheFirstLine) {
    const ScriptCase cases[] = {
        {"setmem", SCRIPT_SETMEM, "\xEF\xBB\xBFsetmem /32 0x1 = 0x2\nsetmem /32 0x3 = 0x4\n", {{1, 2}, {3, 4}}, ""},
        {"memory, CR LF", SCRIPT_MEMORY, "\xEF\xBB\xBFmemory set 0x1 32 0x2\r\n", {{1, 2}}, ""},
        {"before a comment line", SCRIPT_SETMEM, "\xEF\xBB\xBF// x\nsetmem /32 0x1 = 0x2\n", {{1, 2}}, ""},
        {"a part of a mark is text", SCRIPT_SETMEM, "\xEF\xBBsetmem /32 0x1 = 0x2\n", {}, ""},
        {"the mark alone", SCRIPT_MEMORY, "\xEF\xBB\xBF", {}, ""},
        {"a part of a mark alone", SCRIPT_MEMORY, "\xEF\xBB", {}, ""},
        {"not on a later line", SCRIPT_SETMEM, "\n\xEF\xBB\xBFsetmem /32 bad = bad\n", {}, ""},
        {"before the address", SCRIPT_SETMEM, "setmem /32 \xEF\xBB\xBF" "0x1 = 0x2\n", {}, address_error(1)},
    };
    for (const ScriptCase& c : cases) expect_case(c);
}

// Lines, tokens and token counts beyond the format's limits are read whole,
// without overrunning anything.
TEST(ScriptReader, LongLinesAndManyTokens) {
    std::string many_tokens = "setmem /32 0x1 = 0x2";
    for (int i = 0; i < 100; ++i) many_tokens += " t" + std::to_string(i);
    const ScriptCase cases[] = {
        {"300-character token 2", SCRIPT_SETMEM, "setmem " + std::string(300, 'w') + " 0x9 = 0xA\n", {{9, 10}},
         ""},
        {"100 tokens after the value", SCRIPT_SETMEM, many_tokens + "\n", {{1, 2}}, ""},
        {"300-character address", SCRIPT_SETMEM, "setmem /32 0x" + std::string(300, '1') + " = 0x1\n", {},
         address_error(1)},
        {"5000 blanks before the keyword", SCRIPT_MEMORY, std::string(5000, ' ') + "memory set 0x1 32 0x2\n",
         {{1, 2}}, ""},
    };
    for (const ScriptCase& c : cases) expect_case(c);
}

// Lines ending in CR LF give the same items as lines ending in LF, from a
// text-mode stream (on Windows it turns CR LF into LF before the reader sees
// it) and from a binary one (the reader drops the CR itself).
TEST(ScriptReader, CrLfAndLfGiveTheSameItems) {
    const std::string lf =
        "// init\nsetmem /32 0x021B0000 = 0x84190000\n\nsetmem /32 0x021B001C = 0x00008033 // MR3\n"
        "setmem /32 0x021B0004 = 0x0002556D//end\nsetmem /32 0x021B0404 = 0x00011006\n";
    std::string crlf;
    for (char c : lf) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    const ReadResult a = read_text(lf, SCRIPT_SETMEM);
    ASSERT_EQ(a.rc, 0);
    EXPECT_EQ(a.items.size(), 4u);
    EXPECT_EQ(a.items.back(), Item(0x021B0404, 0x00011006));
    for (catalogue_test::Open how : {catalogue_test::Open::for_reading, catalogue_test::Open::binary}) {
        const ReadResult b = read_text(crlf, SCRIPT_SETMEM, 1024, how);
        ASSERT_EQ(b.rc, 0);
        EXPECT_EQ(a.items, b.items);
    }
}

// Read from a binary stream, a Ctrl-Z byte is an ordinary character: the
// writes after it are read. (A Windows text-mode stream ends the file there.)
TEST(ScriptReader, CtrlZInABinaryStreamIsText) {
    const ReadResult r = read_text("setmem /32 0x1 = 0x2\n\x1A\nsetmem /32 0x3 = 0x4\x1A\nsetmem /32 0x5 = 0x6\n",
                                   SCRIPT_SETMEM, 1024, catalogue_test::Open::binary);
    EXPECT_EQ(r.rc, -1);
    EXPECT_EQ(r.msg, value_error(3));
    const ReadResult ok = read_text("setmem /32 0x1 = 0x2\n\x1A\nsetmem /32 0x3 = 0x4\n", SCRIPT_SETMEM, 1024,
                                    catalogue_test::Open::binary);
    EXPECT_EQ(ok.items, (std::vector<Item>{{1, 2}, {3, 4}}));
}

// A setmem script may hold 512 writes and a memory script 1024; the line
// after the last allowed one fails with the capacity in the message, unless
// one of its numbers is bad: the syntax is checked first.
TEST(ScriptReader, Capacity) {
    struct CapacityCase {
        ScriptFormat format;
        int capacity;
        std::string (*line)(int n, const char* value);
    };
    const CapacityCase cases[] = {
        {SCRIPT_SETMEM, 512,
         [](int n, const char* value) {
             char text[64];
             std::snprintf(text, sizeof text, "setmem /32 0x%08X = %s\n", 0x021B0000u + 4u * n, value);
             return std::string(text);
         }},
        {SCRIPT_MEMORY, 1024,
         [](int n, const char* value) {
             char text[64];
             std::snprintf(text, sizeof text, "memory set 0x%08X 32 %s\n", 0x30400000u + 4u * n, value);
             return std::string(text);
         }},
    };
    for (const CapacityCase& c : cases) {
        SCOPED_TRACE(c.capacity);
        std::string full = c.format == SCRIPT_SETMEM ? "// full\n" : "# full\n";
        for (int n = 0; n < c.capacity; ++n) full += c.line(n, "0x1");

        const ReadResult ok = read_text(full, c.format, c.capacity);
        ASSERT_EQ(ok.rc, 0);
        EXPECT_EQ(ok.count, c.capacity);
        EXPECT_EQ(ok.items.back(), Item(c.format == SCRIPT_SETMEM ? 0x021B0000u + 4u * (c.capacity - 1)
                                                                  : 0x30400000u + 4u * (c.capacity - 1),
                                        1));

        // Comments and other lines after a full list are fine.
        const ReadResult trailing = read_text(full + "\n// done\n# done\n", c.format, c.capacity);
        EXPECT_EQ(trailing.rc, 0);

        const ReadResult over = read_text(full + c.line(c.capacity, "0x1"), c.format, c.capacity);
        EXPECT_EQ(over.rc, -1);
        EXPECT_EQ(over.msg, capacity_error(c.capacity));
        EXPECT_EQ(over.count, c.capacity);

        // Line 1 is the comment, so the extra write is line capacity + 2.
        const ReadResult bad = read_text(full + c.line(c.capacity, "0xZ"), c.format, c.capacity);
        EXPECT_EQ(bad.rc, -1);
        EXPECT_EQ(bad.msg, value_error(c.capacity + 2));
    }
}

// The reader stops at the failing line: the stream is left just after its
// line feed and later faults do not replace the message.
TEST(ScriptReader, StopsAtTheFirstFailure) {
    ScriptFile file("setmem /32 0x1 = 0x2\nsetmem /32 0x1 = oops\nNEXT\nsetmem /32 bad = 0x1\n");
    ASSERT_NE(file.get(), nullptr);
    const ReadResult r = read_file(file.get(), SCRIPT_SETMEM, 512);
    EXPECT_EQ(r.rc, -1);
    EXPECT_EQ(r.msg, value_error(2));
    EXPECT_EQ(std::fgetc(file.get()), 'N');

    // The next call starts counting lines at 1 again.
    EXPECT_EQ(read_text("setmem /32 bad = 0x1\n", SCRIPT_SETMEM).msg, address_error(1));
}

// A stream that cannot be read fails with the read message instead of
// passing for an empty script.
TEST(ScriptReader, ReadErrorOfTheStream) {
    for (ScriptFormat format : {SCRIPT_SETMEM, SCRIPT_MEMORY}) {
        ScriptFile file("setmem /32 0x1 = 0x2\nmemory set 0x1 32 0x2\n", catalogue_test::Open::unreadable);
        ASSERT_NE(file.get(), nullptr);
        const ReadResult r = read_file(file.get(), format, 512);
        EXPECT_EQ(r.rc, -1);
        EXPECT_EQ(r.msg, "Read the init script error.\r\n");
        EXPECT_EQ(r.count, 512);
    }
}

// The example scripts shipped with the tool.
std::string example(const char* name) {
    const std::filesystem::path path = std::filesystem::path(ORVANE_SOURCE_DIR) / "examples" / name;
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << path;
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(ScriptReader, ExampleScripts) {
    struct ExampleCase {
        const char* file;
        int target;
        std::string msg;  // empty = valid script
    };
    const ExampleCase cases[] = {
        {"ddr3-2x256m-kt3xx.inc", 0, ""},
        {"lpddr4-2g-kt410.ds", 5, ""},
        {"faulty-attached-equals.inc", 0, address_error(6)},
        {"faulty-bad-value.ds", 5, value_error(7)},
    };
    for (const ExampleCase& c : cases) {
        SCOPED_TRACE(c.file);
        const TargetProfile& target = target_profile(c.target);
        const std::string text = example(c.file);
        const ReadResult r = read_text(text, target.script_format, static_cast<int>(target.dcd_capacity));
        if (!c.msg.empty()) {
            EXPECT_EQ(r.rc, -1);
            EXPECT_EQ(r.msg, c.msg);
            continue;
        }
        ASSERT_EQ(r.rc, 0);
        EXPECT_GT(r.count, 20);
        // Every address of a valid example lies in the ranges of each target
        // that reads its format.
        std::vector<DcdItem> items;
        for (const Item& item : r.items) items.push_back({item.first, item.second});
        for (int t = 0; t < TARGET_COUNT; ++t) {
            const TargetProfile& other = target_profile(t);
            if (other.script_format != target.script_format) continue;
            EXPECT_EQ(check_dcd_ranges(items.data(), r.count, other.dcd_range_count, other.dcd_ranges), 0)
                << "target " << t;
        }
        // The same script with CR LF line ends reads the same.
        std::string crlf;
        for (char ch : text) crlf += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
        EXPECT_EQ(read_text(crlf, target.script_format, static_cast<int>(target.dcd_capacity)).items, r.items);
    }
}

}  // namespace
