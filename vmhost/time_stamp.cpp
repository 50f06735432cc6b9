#include "vmhost/time_stamp.h"

#include <algorithm>

namespace {

std::string number(int value, int width) {
    std::string digits = std::to_string(value);
    if (static_cast<int>(digits.size()) < width)
        digits.insert(0, static_cast<size_t>(width) - digits.size(), '0');
    return digits;
}

// Copies quoted text without its quotes ("''" gives one quote); returns the index behind it.
size_t copyQuoted(const std::string& picture, size_t i, std::string& out) {
    ++i;
    while (i < picture.size()) {
        if (picture[i] == '\'') {
            if (i + 1 < picture.size() && picture[i + 1] == '\'') {
                out += '\'';
                i += 2;
                continue;
            }
            return i + 1;
        }
        out += picture[i++];
    }
    return i;
}

// Walks the picture; replace(letter, count, out) handles a run of one letter and returns
// false when the letter is no picture of this pass.
template <typename Replace> std::string formatPicture(const std::string& picture, Replace replace) {
    std::string out;
    size_t i = 0;
    while (i < picture.size()) {
        char letter = picture[i];
        if (letter == '\'') {
            i = copyQuoted(picture, i, out);
            continue;
        }
        size_t run = 1;
        while (i + run < picture.size() && picture[i + run] == letter)
            ++run;
        if (!replace(letter, static_cast<int>(run), out))
            out.append(run, letter);
        i += run;
    }
    return out;
}

const std::string& clampedName(const std::array<std::string, 12>& names, int month) {
    return names[static_cast<size_t>(std::clamp(month, 1, 12) - 1)];
}

} // namespace

CalendarNames englishCalendarNames() {
    CalendarNames names;
    names.months = {"January", "February", "March",     "April",   "May",      "June",
                    "July",    "August",   "September", "October", "November", "December"};
    names.abbreviatedMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    names.days = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    names.abbreviatedDays = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    names.am = "AM";
    names.pm = "PM";
    names.era = "A.D.";
    return names;
}

std::string formatTimePicture(const std::string& picture, const LocalTime& time,
                              const CalendarNames& names) {
    return formatPicture(picture, [&](char letter, int count, std::string& out) {
        int width = count >= 2 ? 2 : 1;
        switch (letter) {
        case 'h':
            out += number(time.hour % 12 == 0 ? 12 : time.hour % 12, width);
            return true;
        case 'H':
            out += number(time.hour, width);
            return true;
        case 'm':
            out += number(time.minute, width);
            return true;
        case 's':
            out += number(time.second, width);
            return true;
        case 't': {
            const std::string& marker = time.hour < 12 ? names.am : names.pm;
            out += count == 1 ? marker.substr(0, 1) : marker;
            return true;
        }
        default:
            return false;
        }
    });
}

std::string formatDatePicture(const std::string& picture, const LocalTime& time,
                              const CalendarNames& names) {
    return formatPicture(picture, [&](char letter, int count, std::string& out) {
        switch (letter) {
        case 'd':
            if (count <= 2)
                out += number(time.day, count);
            else
                out += (count == 3
                            ? names.abbreviatedDays
                            : names.days)[static_cast<size_t>(std::clamp(time.dayOfWeek, 0, 6))];
            return true;
        case 'M':
            if (count <= 2)
                out += number(time.month, count);
            else
                out += clampedName(count == 3 ? names.abbreviatedMonths : names.months, time.month);
            return true;
        case 'y':
            out += count == 1   ? std::to_string(time.year % 100)
                   : count == 2 ? number(time.year % 100, 2)
                                : number(time.year, 4);
            return true;
        case 'g':
            out += names.era;
            return true;
        default:
            return false;
        }
    });
}

void expandTimeStamp(std::string& name, const LocalTime& time, const PictureFormatter& formatTime,
                     const PictureFormatter& formatDate) {
    size_t first = name.find('%');
    if (first == std::string::npos)
        return;
    size_t last = name.rfind('%');
    std::string picture = last > first ? name.substr(first + 1, last - first - 1) : std::string();
    std::string milliseconds = std::to_string(time.milliseconds);
    for (size_t at = picture.find('L'); at != std::string::npos;
         at = picture.find('L', at + milliseconds.size())) {
        picture.replace(at, 1, milliseconds);
    }
    std::string formatted = formatDate(formatTime(picture, time), time);
    name = name.substr(0, first) + formatted + name.substr(last + 1);
}
