// The two text conversions, the only crossing between the window's UTF-16
// and 8-bit UTF-8 (firmware text, script paths, log files), on any bytes:
// the zero-terminated forms write exactly what they promise into buffers
// of exactly the documented room; the whole-string forms agree with them;
// well-formed text survives the round trip; streamed decoding in two
// pieces equals decoding the whole.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz_input.h"
#include "ui/text_convert.h"
#include "ui/utf8_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    // UTF-8 to UTF-16: room for the byte count + 1 code units, no more.
    const std::string zt(bytes.c_str());  // up to the first zero byte
    {
        auto wide = std::make_unique<char16_t[]>(zt.size() + 1);
        utf8_to_utf16(zt.c_str(), wide.get());
        const std::u16string whole = utf8_to_utf16(std::string_view(zt));
        FUZZ_CHECK(whole.size() <= zt.size());
        FUZZ_CHECK(std::u16string(wide.get()) == whole);
    }

    // Streamed in two pieces, cut anywhere: the same as decoding the whole.
    {
        const std::size_t cut = size > 0 ? data[0] % (size + 1) : 0;
        Utf8StreamDecoder decoder;
        std::u16string streamed = decoder.feed(std::string_view(bytes).substr(0, cut));
        streamed += decoder.feed(std::string_view(bytes).substr(cut));
        streamed += decoder.finish();
        FUZZ_CHECK(streamed == utf8_to_utf16(std::string_view(bytes)));
    }

    // UTF-16 (the bytes taken as code units, surrogates and all) to UTF-8:
    // the count first, then exactly that many bytes and a zero.
    {
        std::u16string units(size / 2, u'\0');
        std::memcpy(units.data(), data, units.size() * 2);
        const std::u16string zunits(units.c_str());
        const int count = utf16_to_utf8(zunits.c_str(), nullptr);
        FUZZ_CHECK(count >= 0);
        auto narrow = std::make_unique<char[]>(static_cast<std::size_t>(count) + 1);
        FUZZ_CHECK(utf16_to_utf8(zunits.c_str(), narrow.get()) == count);
        FUZZ_CHECK(narrow[static_cast<std::size_t>(count)] == '\0');
        const std::string whole = utf16_to_utf8(std::u16string_view(zunits));
        FUZZ_CHECK(whole == std::string(narrow.get(), static_cast<std::size_t>(count)));
        // Text without lone surrogates comes back unchanged.
        bool well_formed = true;
        for (std::size_t i = 0; i < zunits.size(); ++i) {
            const char16_t c = zunits[i];
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < zunits.size() && zunits[i + 1] >= 0xDC00 &&
                zunits[i + 1] <= 0xDFFF) {
                ++i;
            } else if (c >= 0xD800 && c <= 0xDFFF) {
                well_formed = false;
            }
        }
        if (well_formed) FUZZ_CHECK(utf8_to_utf16(std::string_view(whole)) == zunits);
    }
    return 0;
}
