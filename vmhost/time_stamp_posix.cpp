#include "vmhost/time_stamp.h"

#include <ctime>
#include <langinfo.h>

namespace {

// The user's LC_TIME name, or the English one when the locale has none.
void take(nl_item item, std::string& name) {
    const char* text = nl_langinfo(item);
    if (text != nullptr && *text != '\0')
        name = text;
}

CalendarNames userCalendarNames() {
    CalendarNames names = englishCalendarNames();
    const nl_item months[] = {MON_1, MON_2, MON_3, MON_4,  MON_5,  MON_6,
                              MON_7, MON_8, MON_9, MON_10, MON_11, MON_12};
    const nl_item shortMonths[] = {ABMON_1, ABMON_2, ABMON_3, ABMON_4,  ABMON_5,  ABMON_6,
                                   ABMON_7, ABMON_8, ABMON_9, ABMON_10, ABMON_11, ABMON_12};
    const nl_item days[] = {DAY_1, DAY_2, DAY_3, DAY_4, DAY_5, DAY_6, DAY_7};
    const nl_item shortDays[] = {ABDAY_1, ABDAY_2, ABDAY_3, ABDAY_4, ABDAY_5, ABDAY_6, ABDAY_7};
    for (size_t i = 0; i < 12; ++i) {
        take(months[i], names.months[i]);
        take(shortMonths[i], names.abbreviatedMonths[i]);
    }
    for (size_t i = 0; i < 7; ++i) {
        take(days[i], names.days[i]);
        take(shortDays[i], names.abbreviatedDays[i]);
    }
    take(AM_STR, names.am);
    take(PM_STR, names.pm);
    return names;
}

} // namespace

void expandTimeStamp(std::string& name, const LocalTime& time) {
    CalendarNames names = userCalendarNames();
    expandTimeStamp(
        name, time,
        [&names](const std::string& picture, const LocalTime& t) {
            return formatTimePicture(picture, t, names);
        },
        [&names](const std::string& picture, const LocalTime& t) {
            return formatDatePicture(picture, t, names);
        });
}

LocalTime currentLocalTime() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::tm parts{};
    localtime_r(&now.tv_sec, &parts);
    LocalTime time;
    time.year = parts.tm_year + 1900;
    time.month = parts.tm_mon + 1;
    time.dayOfWeek = parts.tm_wday;
    time.day = parts.tm_mday;
    time.hour = parts.tm_hour;
    time.minute = parts.tm_min;
    time.second = parts.tm_sec;
    time.milliseconds = static_cast<int>(now.tv_nsec / 1000000);
    return time;
}
