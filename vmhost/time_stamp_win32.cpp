#include "vmhost/time_stamp.h"

#include "support/wide_text.h"

#include <windows.h>

namespace {

// Both locale calls write into buffers of this many characters.
constexpr int formatBufferSize = 260;

SYSTEMTIME toSystemTime(const LocalTime& time) {
    SYSTEMTIME system{};
    system.wYear = static_cast<WORD>(time.year);
    system.wMonth = static_cast<WORD>(time.month);
    system.wDayOfWeek = static_cast<WORD>(time.dayOfWeek);
    system.wDay = static_cast<WORD>(time.day);
    system.wHour = static_cast<WORD>(time.hour);
    system.wMinute = static_cast<WORD>(time.minute);
    system.wSecond = static_cast<WORD>(time.second);
    system.wMilliseconds = static_cast<WORD>(time.milliseconds);
    return system;
}

// A picture the platform cannot format (too long for the buffer) stays as it is.
std::string formatWith(int(WINAPI* format)(LCID, DWORD, const SYSTEMTIME*, LPCWSTR, LPWSTR, int),
                       const std::string& picture, const LocalTime& time) {
    SYSTEMTIME system = toSystemTime(time);
    wchar_t buffer[formatBufferSize];
    int written =
        format(LOCALE_USER_DEFAULT, 0, &system, toWide(picture).c_str(), buffer, formatBufferSize);
    if (written <= 0)
        return picture;
    return toUtf8(buffer, static_cast<size_t>(written - 1));
}

} // namespace

void expandTimeStamp(std::string& name, const LocalTime& time) {
    expandTimeStamp(
        name, time,
        [](const std::string& picture, const LocalTime& t) {
            return formatWith(GetTimeFormatW, picture, t);
        },
        [](const std::string& picture, const LocalTime& t) {
            return formatWith(GetDateFormatW, picture, t);
        });
}

LocalTime currentLocalTime() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    LocalTime time;
    time.year = now.wYear;
    time.month = now.wMonth;
    time.dayOfWeek = now.wDayOfWeek;
    time.day = now.wDay;
    time.hour = now.wHour;
    time.minute = now.wMinute;
    time.second = now.wSecond;
    time.milliseconds = now.wMilliseconds;
    return time;
}
