#include "vmhost/vm_options.h"

#include <limits>

namespace {

constexpr uint64_t maximumSize = std::numeric_limits<uint64_t>::max();

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Saturating arithmetic: absurd sizes end at the largest value instead of wrapping around.
uint64_t multiplySaturated(uint64_t a, uint64_t b) {
    if (a != 0 && b > maximumSize / a)
        return maximumSize;
    return a * b;
}

uint64_t appendDigit(uint64_t number, char digit) {
    uint64_t shifted = multiplySaturated(number, 10);
    uint64_t value = static_cast<uint64_t>(digit - '0');
    return shifted > maximumSize - value ? maximumSize : shifted + value;
}

// The numbers of text[begin, end): digits accumulate, ":" starts a new number at 0.
std::vector<uint64_t> numbersBetween(const std::string& text, size_t begin, size_t end) {
    std::vector<uint64_t> numbers{0};
    for (size_t i = begin; i < end; ++i) {
        if (text[i] == ':')
            numbers.push_back(0);
        else if (isDigit(text[i]))
            numbers.back() = appendDigit(numbers.back(), text[i]);
    }
    return numbers;
}

size_t firstNumberIndex(const std::string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (isDigit(text[i]) || text[i] == ':')
            return i;
    }
    return std::string::npos;
}

// Index just behind the token that begins at start: a blank outside a quote pair ends it.
// An opening quote is closed by the next quote; a quote right behind the closing one belongs
// to it. An opening quote without a closing one groups nothing.
size_t tokenEnd(const std::string& text, size_t start) {
    size_t i = start;
    while (i < text.size() && text[i] != ' ') {
        if (text[i] == '"') {
            size_t closing = text.find('"', i + 1);
            if (closing != std::string::npos) {
                i = closing + 1;
                if (i < text.size() && text[i] == '"')
                    ++i;
                continue;
            }
        }
        ++i;
    }
    return i;
}

uint64_t memoryBase(char unit, const MemoryStatus& memory) {
    bool physical = unit == 'P' || unit == 'p';
    return (physical ? memory.totalPhysical : memory.availableVirtual) >> 10;
}

uint64_t shareOf(uint64_t kilobytes, uint64_t percent) {
    double size = static_cast<double>(kilobytes) * (static_cast<double>(percent) / 100.0);
    // 2^64 as a double; a product at or above it does not fit.
    if (size >= 18446744073709551616.0)
        return maximumSize;
    return static_cast<uint64_t>(size);
}

} // namespace

NumberList parseNumberList(const std::string& text) {
    NumberList list;
    if (text.empty())
        return list;
    size_t start = firstNumberIndex(text);
    if (start == std::string::npos) {
        list.start = text.size() - 1;
        return list;
    }
    list.start = start;
    list.numbers = numbersBetween(text, start, text.size() - 1);
    return list;
}

bool isRelativeMemoryOption(const std::string& token) {
    if (token.size() < 5)
        return false;
    std::string head = token.substr(0, 4);
    if (head != "-Xms" && head != "-Xmx" && head != "-Xss")
        return false;
    char unit = token.back();
    return unit == 'P' || unit == 'p' || unit == 'T' || unit == 't';
}

std::string resolveRelativeMemoryOption(const std::string& token, const MemoryStatus& memory) {
    NumberList list = parseNumberList(token);
    auto number = [&list](size_t i) { return i < list.numbers.size() ? list.numbers[i] : 0; };
    uint64_t percent = number(0);
    uint64_t minimum = multiplySaturated(number(1), 1024);
    uint64_t maximum = multiplySaturated(number(2), 1024);

    uint64_t size = shareOf(memoryBase(token.back(), memory), percent);
    if (maximum != 0 && maximum < size)
        size = maximum;
    if (minimum > size)
        size = minimum;
    // The full unsigned value: sizes of 2 TiB and more are common for the "T" base.
    return token.substr(0, list.start) + std::to_string(size) + "K";
}

uint64_t unitMultiplier(char letter) {
    switch (letter) {
    case 'G':
    case 'g':
        return 1073741824;
    case 'M':
    case 'm':
        return 1048576;
    case 'K':
    case 'k':
        return 1024;
    default:
        return 1;
    }
}

uint64_t parseStackSize(const std::string& text) {
    if (text.empty())
        return 0;
    // A value without a unit letter counts all of its digits.
    bool hasUnit = !isDigit(text.back());
    size_t start = firstNumberIndex(text);
    if (start != 0)
        return 0;
    std::vector<uint64_t> numbers =
        numbersBetween(text, 0, hasUnit ? text.size() - 1 : text.size());
    if (numbers.size() != 1)
        return 0;
    return multiplySaturated(numbers[0], hasUnit ? unitMultiplier(text.back()) : 1);
}

std::string removeQuotes(const std::string& token) {
    std::string result;
    size_t i = 0;
    while (i < token.size()) {
        size_t closing = token[i] == '"' ? token.find('"', i + 1) : std::string::npos;
        if (closing == std::string::npos) {
            result += token[i++];
            continue;
        }
        result.append(token, i + 1, closing - i - 1);
        i = closing + 1;
        if (i < token.size() && token[i] == '"') {
            result += '"';
            ++i;
        }
    }
    return result;
}

void splitVmParameters(const std::string& text, VmParameterList& list) {
    size_t start = text.find_first_not_of(' ');
    while (start != std::string::npos) {
        size_t end = tokenEnd(text, start);
        addVmParameter(text.substr(start, end - start), list);
        start = text.find_first_not_of(' ', end);
    }
}

void addVmParameter(const std::string& token, VmParameterList& list) {
    std::string option = removeQuotes(token);
    if (isRelativeMemoryOption(option))
        option = resolveRelativeMemoryOption(option, list.memoryQuery());
    if (option.compare(0, 4, "-Xss") == 0)
        list.mainStackSize = parseStackSize(option.substr(4));
    list.options.push_back(std::move(option));
}
