// splitString on any text with a separator of one to three bytes taken from the input: the
// pieces joined with the separator give the text back (less one trailing separator), no piece
// holds the separator, and the list is replaced rather than appended to.

#include "fuzz_check.h"
#include "settings/settings_source.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const size_t separatorLength = 1 + data[0] % 3;
    if (size < 1 + separatorLength)
        return 0;
    const std::string separator = fuzzText(data + 1, separatorLength);
    const std::string text = fuzzText(data + 1 + separatorLength, size - 1 - separatorLength);

    std::vector<std::string> pieces = {"stale"};
    splitString(text, separator, pieces);
    FUZZ_CHECK(pieces.empty() == text.empty());
    const std::string joined = joinPieces(pieces, separator);
    FUZZ_CHECK(joined == text || joined + separator == text);
    for (const std::string& piece : pieces)
        FUZZ_CHECK(piece.find(separator) == std::string::npos);
    return 0;
}
