// expandReferences (the %NAME% expansion) on any text: with no name defined the text comes back
// unchanged; the lookup is only asked for non-empty names without "%"; with every name defined
// as empty the result is never longer than the text.

#include "fuzz_check.h"
#include "support/process_environment.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text = fuzzText(data, size);
    FUZZ_CHECK(expandReferences(text, [](const std::string&, std::string&) { return false; }) ==
               text);
    const std::string emptied = expandReferences(text, [](const std::string& name, std::string&) {
        FUZZ_CHECK(!name.empty() && name.find('%') == std::string::npos);
        return true;
    });
    FUZZ_CHECK(emptied.size() <= text.size());
    return 0;
}
