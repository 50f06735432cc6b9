// Decoding of a window-process frame from any bytes: a frame that decodes encodes back to the
// very same bytes (the encoding is strict, so a hostile frame cannot mean two things), and the
// text shown from any field is valid UTF-8 that the display step leaves alone.

#include "fuzz_check.h"
#include "ui/window_request.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes = fuzzText(data, size);
    std::optional<WindowMessage> message = decodeWindowMessage(bytes);
    if (message) {
        FUZZ_CHECK(encodeWindowMessage(*message) == bytes);
        for (const auto& [name, value] : message->fields) {
            FUZZ_CHECK(message->has(name));
            const std::string shown = displayableText(value);
            FUZZ_CHECK(displayableText(shown) == shown);
        }
    }
    const std::string shown = displayableText(bytes);
    FUZZ_CHECK(displayableText(shown) == shown);
    FUZZ_CHECK(shown.find('\0') == std::string::npos);
    const std::string_view prefix = utf8Prefix(shown, size / 2);
    FUZZ_CHECK(prefix.size() <= size / 2);
    FUZZ_CHECK(displayableText(prefix) == prefix);
    return 0;
}
