// JavaVersion::parse on any text: a failed parse leaves 0.0.0.0, a successful one never yields a
// negative part, prints as text that reads back as the same version up to the trailing parts
// left out, and the fill value only moves the parts that were not read. A bound setting reads
// the same, but saturates an oversized part instead of failing.

#include "fuzz_check.h"
#include "support/java_version.h"

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
        // A bound reads like a version, except that an oversized part saturates.
        JavaVersion lowBound;
        JavaVersion highBound;
        const bool boundOk = JavaVersion::parseBound(text, 0, lowBound);
        JavaVersion::parseBound(text, JavaVersion::unboundedPart, highBound);
        FUZZ_CHECK(boundOk == hasDigit(text));
        FUZZ_CHECK(!lowOk || lowBound == low);
        FUZZ_CHECK(!highOk || highBound == high);
        FUZZ_CHECK(compare(lowBound, highBound) <= 0);
        FUZZ_CHECK(minimumVersionSetting(text) == lowBound);
        FUZZ_CHECK(maximumVersionSetting(text) == (boundOk ? highBound : JavaVersion::highest()));
    }
    return 0;
}
