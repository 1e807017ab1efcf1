// The output pane's text for a terminal, piece by piece as it is appended:
// UTF-8, line breaks "\r\n" as "\n", tabs kept, and every other control
// character shown as ^X (C0 and DEL) or <U+XXXX> (C1), so that a device can
// never drive the terminal. A "\r\n" split over two appends is still one
// line break; a lone CR shows as ^M.
#pragma once

#include <string>
#include <string_view>

class PaneEcho {
public:
    // The terminal text of the next appended piece.
    std::string feed(std::u16string_view text);
    // What a CR held back at the end of the last piece turns into when no
    // more text comes.
    std::string finish();

private:
    bool pending_cr_ = false;
};
