// Decodes UTF-8 that arrives in pieces (the firmware's text reports): a
// character whose bytes are split over two pieces is held back until its
// last byte arrives, then shown whole.
#pragma once

#include <string>
#include <string_view>

class Utf8StreamDecoder {
public:
    // Decodes the piece, together with bytes held back from the previous
    // one; an unfinished character at its end is held back.
    std::u16string feed(std::string_view bytes);
    // Ends the stream: held-back bytes become U+FFFD.
    std::u16string finish();
    // Forgets held-back bytes (a new link starts).
    void reset() { held_.clear(); }
    bool holding() const { return !held_.empty(); }

private:
    std::string held_;  // at most 3 bytes
};
