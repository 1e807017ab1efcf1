#include <gtest/gtest.h>

#include <string>

#include "ui/text_convert.h"
#include "ui/utf8_stream.h"

TEST(TextConvert, Utf16ToUtf8CountsAndWrites) {
    struct Case {
        std::u16string text;
        std::string bytes;
    };
    const Case cases[] = {
        {u"", ""},
        {u"A\r\nB", "A\r\nB"},
        {u"\u00E9", "\xC3\xA9"},
        {u"\u20AC", "\xE2\x82\xAC"},
        {u"\U0001F600", "\xF0\x9F\x98\x80"},
        {std::u16string(1, char16_t(0xD800)) + u"x", "\xEF\xBF\xBDx"},  // lone surrogate
    };
    for (const Case& c : cases) {
        int n = utf16_to_utf8(c.text.c_str(), nullptr);
        ASSERT_EQ(n, static_cast<int>(c.bytes.size()));
        std::string out(n + 1, '\x55');
        EXPECT_EQ(utf16_to_utf8(c.text.c_str(), out.data()), n);
        EXPECT_EQ(out.substr(0, n), c.bytes);
        EXPECT_EQ(out[n], '\0');
        EXPECT_EQ(utf8_to_utf16(c.bytes), c.text.front() == 0xD800 ? u"\uFFFDx" : c.text);
    }
}

TEST(TextConvert, IllFormedUtf8BecomesReplacement) {
    struct Case {
        std::string bytes;
        std::u16string text;
    };
    const Case cases[] = {
        {"a\xFF" "b", u"a\uFFFDb"},
        {"\xC3", u"\uFFFD"},                 // cut short at the end
        {"\xC3" "A", u"\uFFFDA"},            // cut short by another character
        {"\xE2\x82", u"\uFFFD"},             // one replacement for the unfinished part
        {"\xC0\xAF", u"\uFFFD\uFFFD"},       // overlong
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},  // encoded surrogate
    };
    for (const Case& c : cases) EXPECT_EQ(utf8_to_utf16(c.bytes), c.text);

    char16_t out[8];
    utf8_to_utf16("\xC3\xA9t\xC3\xA9", out);
    EXPECT_EQ(std::u16string(out), u"\u00E9t\u00E9");
}

TEST(Utf8Stream, JoinsCharactersSplitOverPieces) {
    Utf8StreamDecoder d;
    EXPECT_EQ(d.feed("caf\xC3"), u"caf");
    EXPECT_TRUE(d.holding());
    EXPECT_EQ(d.feed("\xA9!"), u"\u00E9!");
    EXPECT_EQ(d.feed("\xF0"), u"");
    EXPECT_EQ(d.feed("\x9F\x98"), u"");
    EXPECT_EQ(d.feed("\x80"), u"\U0001F600");
    EXPECT_FALSE(d.holding());
}

TEST(Utf8Stream, BrokenSequencesStillShow) {
    Utf8StreamDecoder d;
    EXPECT_EQ(d.feed("x\xE2\x82"), u"x");
    EXPECT_EQ(d.feed("y"), u"\uFFFDy");  // the next piece does not continue it
    EXPECT_EQ(d.feed("\xC3"), u"");
    EXPECT_EQ(d.finish(), u"\uFFFD");
    EXPECT_EQ(d.feed("\xA9"), u"\uFFFD");  // a continuation byte alone
}
