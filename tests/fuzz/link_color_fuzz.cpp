// parseColor on any text: a result is either the failure value or a colour with nothing above
// its blue byte; a text accepted is one with two commas and something after the second, and
// the colour printed back as "red,green,blue" reads as the same colour.

#include "fuzz_check.h"
#include "ui/link_color.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text = fuzzText(data, size);
    const ColorValue color = parseColor(text);
    if (color == invalidColor)
        return 0;
    FUZZ_CHECK((color >> 24) == 0);
    const size_t first = text.find(',');
    FUZZ_CHECK(first != std::string::npos);
    const size_t second = text.find(',', first + 1);
    FUZZ_CHECK(second != std::string::npos && second + 1 < text.size());
    const std::string printed = std::to_string(color & 0xFF) + "," +
                                std::to_string((color >> 8) & 0xFF) + "," +
                                std::to_string((color >> 16) & 0xFF);
    FUZZ_CHECK(parseColor(printed) == color);
    // Blanks before a number and text after the third do not change the colour.
    FUZZ_CHECK(parseColor(" " + printed + "x") == color);
    return 0;
}
