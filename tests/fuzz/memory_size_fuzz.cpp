// The number rules of memory and stack sizes on any text: parseNumberList starts at the first
// digit or ":" and reads one number per ":" before the last character; a resolved relative
// memory option keeps its prefix, gives a decimal number of kilobytes that respects the
// minimum and the maximum, and ends in "K"; parseStackSize reads one number with a unit.

#include "fuzz_check.h"
#include "vmhost/vm_options.h"

#include <algorithm>

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

uint64_t saturatedKilobytes(uint64_t megabytes) {
    return megabytes > UINT64_MAX / 1024 ? UINT64_MAX : megabytes * 1024;
}

void checkNumberList(const std::string& text) {
    const NumberList list = parseNumberList(text);
    if (text.empty()) {
        FUZZ_CHECK(list.numbers.empty());
        return;
    }
    FUZZ_CHECK(list.start < text.size());
    const size_t first = text.find_first_of("0123456789:");
    if (first == std::string::npos) {
        FUZZ_CHECK(list.numbers.empty());
        return;
    }
    FUZZ_CHECK(list.start == first);
    const auto colons =
        std::count(text.begin() + static_cast<std::ptrdiff_t>(first), text.end() - 1, ':');
    FUZZ_CHECK(list.numbers.size() == static_cast<size_t>(colons) + 1);
}

void checkRelative(const std::string& token, const MemoryStatus& memory) {
    if (!isRelativeMemoryOption(token))
        return;
    const std::string resolved = resolveRelativeMemoryOption(token, memory);
    const NumberList list = parseNumberList(token);
    const std::string prefix = token.substr(0, list.start);
    FUZZ_CHECK(resolved.compare(0, prefix.size(), prefix) == 0);
    FUZZ_CHECK(resolved.size() > prefix.size() + 1 && resolved.back() == 'K');
    const std::string digits = resolved.substr(prefix.size(), resolved.size() - prefix.size() - 1);
    FUZZ_CHECK(std::all_of(digits.begin(), digits.end(), isDigit));
    FUZZ_CHECK(digits.size() <= 20 && (digits.size() == 1 || digits[0] != '0'));
    const uint64_t size = std::stoull(digits);
    auto number = [&list](size_t i) { return i < list.numbers.size() ? list.numbers[i] : 0; };
    const uint64_t minimum = saturatedKilobytes(number(1));
    const uint64_t maximum = saturatedKilobytes(number(2));
    FUZZ_CHECK(size >= minimum);
    FUZZ_CHECK(maximum == 0 || size <= std::max(maximum, minimum));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text = fuzzText(data, size);
    checkNumberList(text);
    for (const char* head : {"-Xmx", "-Xss"}) {
        for (const char* unit : {"P", "t"}) {
            const std::string token = head + text + unit;
            checkRelative(token, MemoryStatus{16ull << 30, 128ull << 40});
            checkRelative(token, MemoryStatus{UINT64_MAX, UINT64_MAX});
            checkRelative(token, MemoryStatus{0, 0});
        }
    }
    const uint64_t stack = parseStackSize(text);
    if (stack != 0)
        FUZZ_CHECK(!text.empty() && isDigit(text[0]));
    return 0;
}
