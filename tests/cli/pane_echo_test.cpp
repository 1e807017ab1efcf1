// The pane's text on a terminal: nothing the device sends can drive it.
#include <gtest/gtest.h>

#include "cli/pane_echo.h"

TEST(PaneEcho, ControlCharactersAreShownNotObeyed) {
    struct Case {
        std::u16string in;
        std::string out;
    } cases[] = {
        {u"pass\r\n", "pass\n"},
        {u"a\tb", "a\tb"},
        {u"\x1b[2J", "^[[2J"},
        {u"bell\a", "bell^G"},
        {u"del\x7f", "del^?"},
        {u"\u009b31m", "<U+009B>31m"},
        {u"over\rwrite", "over^Mwrite"},
        {u"41 \u00b0C", "41 \xc2\xb0" "C"},
    };
    for (const Case& c : cases) {
        PaneEcho echo;
        EXPECT_EQ(echo.feed(c.in) + echo.finish(), c.out);
    }
}

TEST(PaneEcho, LineBreakSplitOverTwoAppendsIsOneLineBreak) {
    PaneEcho echo;
    EXPECT_EQ(echo.feed(u"line\r"), "line");
    EXPECT_EQ(echo.feed(u"\nnext\r"), "\nnext");
    EXPECT_EQ(echo.feed(u"x"), "^Mx");
    EXPECT_EQ(echo.feed(u"end\r"), "end");
    EXPECT_EQ(echo.finish(), "^M");
    EXPECT_EQ(echo.finish(), "");
}
