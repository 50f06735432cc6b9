#include "support/java_version.h"

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// A part above this value cannot take another digit without leaving the 32-bit range.
constexpr int64_t lastSafePartValue = 214748364;

enum class Oversized { fail, saturate };

bool parseVersion(const std::string& text, int32_t fill, Oversized oversized,
                  JavaVersion& version) {
    version = JavaVersion();
    size_t pos = 0;
    while (pos < text.size() && !isDigit(text[pos]))
        ++pos;
    if (pos == text.size())
        return false;
    int partsRead = 0;
    while (partsRead < 4 && pos < text.size()) {
        int64_t value = 0;
        bool tooLarge = false;
        while (pos < text.size() && isDigit(text[pos])) {
            if (value > lastSafePartValue)
                tooLarge = true;
            else
                value = value * 10 + (text[pos] - '0');
            ++pos;
        }
        // The last digit can still carry the value past the signed range (2147483648), where
        // the part would turn negative and rank the version below every other.
        tooLarge = tooLarge || value > INT32_MAX;
        if (tooLarge && oversized == Oversized::fail) {
            version = JavaVersion();
            return false;
        }
        if (tooLarge)
            value = INT32_MAX;
        version.parts[partsRead++] = static_cast<int32_t>(value);
        while (pos < text.size() && !isDigit(text[pos]))
            ++pos;
    }
    for (int i = partsRead; i < 4; ++i)
        version.parts[i] = fill;
    return true;
}

} // namespace

bool JavaVersion::parse(const std::string& text, int32_t fill, JavaVersion& version) {
    return parseVersion(text, fill, Oversized::fail, version);
}

bool JavaVersion::parseBound(const std::string& text, int32_t fill, JavaVersion& version) {
    return parseVersion(text, fill, Oversized::saturate, version);
}

bool operator==(const JavaVersion& a, const JavaVersion& b) {
    return compare(a, b) == 0;
}

int compare(const JavaVersion& a, const JavaVersion& b) {
    for (int i = 0; i < 4; ++i) {
        if (a.parts[i] != b.parts[i])
            return a.parts[i] < b.parts[i] ? -1 : 1;
    }
    return 0;
}

bool matches(const JavaVersion& version, const JavaVersion& pattern) {
    int significant = 4;
    while (significant > 0 && pattern.parts[significant - 1] == 0)
        --significant;
    for (int i = 0; i < significant; ++i) {
        if (version.parts[i] != pattern.parts[i])
            return false;
    }
    return true;
}

bool isUnbounded(const JavaVersion& version) {
    return version == JavaVersion::lowest() || version == JavaVersion::highest();
}

std::string toString(const JavaVersion& version) {
    int last = -1;
    for (int i = 0; i < 4; ++i) {
        int32_t part = version.parts[i];
        if (part != 0 && part != JavaVersion::unboundedPart)
            last = i;
    }
    if (last < 0)
        return "0.0.0.0";
    // Two parts at least ("1.0"), but a second part that only fills an open maximum is not
    // printed: "Maximum Version=11" reads "11", not "11.65535".
    if (last < 1 && version.parts[1] != JavaVersion::unboundedPart)
        last = 1;
    std::string text;
    for (int i = 0; i <= last; ++i) {
        if (i > 0)
            text += '.';
        text += std::to_string(version.parts[i]);
    }
    return text;
}

JavaVersion minimumVersionSetting(const std::string& text) {
    JavaVersion version;
    if (text != "any")
        JavaVersion::parseBound(text, 0, version);
    return version;
}

JavaVersion maximumVersionSetting(const std::string& text) {
    JavaVersion version;
    // "any", and equally a maximum that names no version, set no upper bound: a bound of
    // 0.0.0.0 would admit no runtime at all while the user is told "latest version".
    if (text == "any" || !JavaVersion::parseBound(text, JavaVersion::unboundedPart, version))
        return JavaVersion::highest();
    return version;
}
