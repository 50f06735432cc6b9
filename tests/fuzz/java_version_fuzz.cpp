// JavaVersion::parse on any text: a failed parse leaves 0.0.0.0, a successful one never yields a
// negative part, prints as text that reads back as the same version up to the trailing parts
// left out, and the fill value only moves the parts that were not read.

#include "discovery/java_version.h"
#include "fuzz_check.h"

namespace {

bool hasDigit(const std::string& text) {
    return text.find_first_of("0123456789") != std::string::npos;
}

JavaVersion checkedParse(const std::string& text, int32_t fill, bool& ok) {
    JavaVersion version = {{9, 9, 9, 9}};
    ok = JavaVersion::parse(text, fill, version);
    if (!ok) {
        FUZZ_CHECK(version == JavaVersion::lowest());
        return version;
    }
    FUZZ_CHECK(hasDigit(text));
    for (int32_t part : version.parts)
        FUZZ_CHECK(part >= 0);
    JavaVersion reread;
    FUZZ_CHECK(JavaVersion::parse(toString(version), 0, reread));
    // The printed form leaves out trailing parts that are 0 or open (65535) only.
    FUZZ_CHECK(compare(reread, version) <= 0);
    FUZZ_CHECK(matches(version, reread));
    return version;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text = fuzzText(data, size);
    bool lowOk = false;
    bool highOk = false;
    const JavaVersion low = checkedParse(text, 0, lowOk);
    const JavaVersion high = checkedParse(text, JavaVersion::unboundedPart, highOk);
    FUZZ_CHECK(lowOk == highOk);
    FUZZ_CHECK(compare(low, high) <= 0);
    FUZZ_CHECK(compare(low, high) == -compare(high, low));
    FUZZ_CHECK(matches(high, low));
    if (text != "any") {
        FUZZ_CHECK(minimumVersionSetting(text) == low);
        FUZZ_CHECK(maximumVersionSetting(text) == (highOk ? high : JavaVersion::highest()));
    }
    return 0;
}
