// splitVmParameters with addVmParameter on any parameter text, for two machines: without
// quotes the options are the blank-separated words (a relative memory size resolved), never
// more options than words, an empty one only from a quote pair, and the main stack size is
// that of the last "-Xss" option.

#include "fuzz_check.h"
#include "vmhost/vm_options.h"

namespace {

std::vector<std::string> words(const std::string& text) {
    std::vector<std::string> result;
    size_t start = text.find_first_not_of(' ');
    while (start != std::string::npos) {
        size_t end = text.find(' ', start);
        result.push_back(text.substr(start, end == std::string::npos ? end : end - start));
        start = end == std::string::npos ? end : text.find_first_not_of(' ', end);
    }
    return result;
}

void checkParameters(const std::string& text, const MemoryStatus& memory) {
    VmParameterList list([&memory] { return memory; });
    list.mainStackSize = 12345;
    splitVmParameters(text, list);
    const std::vector<std::string> plain = words(text);
    FUZZ_CHECK(list.options.size() <= plain.size());
    FUZZ_CHECK(list.options.empty() == plain.empty());

    uint64_t stackSize = 12345;
    for (const std::string& option : list.options) {
        FUZZ_CHECK(!option.empty() || text.find("\"\"") != std::string::npos);
        if (option.compare(0, 4, "-Xss") == 0)
            stackSize = parseStackSize(option.substr(4));
    }
    FUZZ_CHECK(list.mainStackSize == stackSize);

    if (text.find('"') != std::string::npos)
        return;
    FUZZ_CHECK(list.options.size() == plain.size());
    for (size_t i = 0; i < plain.size(); ++i) {
        const std::string expected = isRelativeMemoryOption(plain[i])
                                         ? resolveRelativeMemoryOption(plain[i], memory)
                                         : plain[i];
        FUZZ_CHECK(list.options[i] == expected);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text = fuzzText(data, size);
    checkParameters(text, MemoryStatus{16ull << 30, 128ull << 40});
    checkParameters(text, MemoryStatus{UINT64_MAX, 0});
    FUZZ_CHECK(removeQuotes(text).size() <= text.size());
    if (text.find('"') == std::string::npos)
        FUZZ_CHECK(removeQuotes(text) == text);
    return 0;
}
