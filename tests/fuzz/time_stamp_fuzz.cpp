// expandTimeStamp on any file name, at a few instants: a name without "%" stays; the text
// before the first and after the last "%" stays around the formatted picture; with pictures
// copied as they are, only "L" changes (to the milliseconds); the portable formatters copy
// what is no picture letter and never blow a picture up beyond a few characters per letter.

#include "fuzz_check.h"
#include "vmhost/time_stamp.h"

namespace {

const LocalTime instants[] = {
    {2026, 1, 3, 7, 14, 23, 5, 87},
    {1601, 1, 1, 1, 0, 0, 0, 0},
    {30827, 12, 6, 31, 23, 59, 59, 999},
};

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

void checkInstant(const std::string& name, const LocalTime& time) {
    const size_t first = name.find('%');
    const size_t last = name.rfind('%');
    const CalendarNames names = englishCalendarNames();
    auto formatTime = [&names](const std::string& p, const LocalTime& t) {
        return formatTimePicture(p, t, names);
    };
    auto formatDate = [&names](const std::string& p, const LocalTime& t) {
        return formatDatePicture(p, t, names);
    };
    auto copy = [](const std::string& p, const LocalTime&) { return p; };

    std::string copied = name;
    expandTimeStamp(copied, time, copy, copy);
    std::string formatted = name;
    expandTimeStamp(formatted, time, formatTime, formatDate);
    std::string platform = name;
    expandTimeStamp(platform, time);
    if (first == std::string::npos) {
        FUZZ_CHECK(copied == name && formatted == name && platform == name);
        return;
    }
    const std::string before = name.substr(0, first);
    const std::string after = name.substr(last + 1);
    const std::string picture = first == last ? "" : name.substr(first + 1, last - first - 1);
    FUZZ_CHECK(copied ==
               before + replaceAll(picture, "L", std::to_string(time.milliseconds)) + after);
    for (const std::string* result : {&formatted, &platform}) {
        FUZZ_CHECK(result->compare(0, before.size(), before) == 0);
        FUZZ_CHECK(endsWith(*result, after));
        FUZZ_CHECK(result->size() <= before.size() + after.size() + 64 * picture.size() + 64);
    }
    if (picture.find_first_of("hHmstL'") == std::string::npos)
        FUZZ_CHECK(formatTimePicture(picture, time, names) == picture);
    if (picture.find_first_of("dMyg'") == std::string::npos)
        FUZZ_CHECK(formatDatePicture(picture, time, names) == picture);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string name = fuzzText(data, size);
    for (const LocalTime& time : instants)
        checkInstant(name, time);
    return 0;
}
