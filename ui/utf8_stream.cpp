#include "ui/utf8_stream.h"

#include "ui/text_convert.h"

std::u16string Utf8StreamDecoder::feed(std::string_view bytes) {
    std::u16string out;
    if (held_.empty()) {
        std::size_t used = utf8_decode_append(reinterpret_cast<const unsigned char*>(bytes.data()),
                                              bytes.size(), out, false);
        held_.assign(bytes.substr(used));
        return out;
    }
    std::string joined = held_;
    joined.append(bytes);
    std::size_t used = utf8_decode_append(reinterpret_cast<const unsigned char*>(joined.data()),
                                          joined.size(), out, false);
    held_ = joined.substr(used);
    return out;
}

std::u16string Utf8StreamDecoder::finish() {
    std::u16string out;
    utf8_decode_append(reinterpret_cast<const unsigned char*>(held_.data()), held_.size(), out,
                       true);
    held_.clear();
    return out;
}
