#pragma once

// Time-stamp pictures in file names: the text between the first and the last "%" of a name is
// replaced by the local time formatted with it. "L" stands for the milliseconds; then the time
// pictures (h hh H HH m mm s ss t tt) and after them the date pictures (d dd ddd dddd M MM MMM
// MMMM y yy yyyy g gg) of the user's locale are replaced; text in single quotes and every
// other character is copied. Windows formats with its own locale functions; POSIX with the
// portable formatter below and the names of the user's LC_TIME locale.

#include <array>
#include <functional>
#include <string>

struct LocalTime {
    int year = 1601;
    int month = 1;     // 1..12
    int dayOfWeek = 0; // 0 = Sunday
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int milliseconds = 0;
};

struct CalendarNames {
    std::array<std::string, 12> months;
    std::array<std::string, 12> abbreviatedMonths;
    std::array<std::string, 7> days; // from Sunday
    std::array<std::string, 7> abbreviatedDays;
    std::string am;
    std::string pm;
    std::string era;
};

CalendarNames englishCalendarNames();

// One formatting pass over a picture: the time pictures or the date pictures.
std::string formatTimePicture(const std::string& picture, const LocalTime& time,
                              const CalendarNames& names);
std::string formatDatePicture(const std::string& picture, const LocalTime& time,
                              const CalendarNames& names);

using PictureFormatter = std::function<std::string(const std::string&, const LocalTime&)>;

// Rewrites name in place; a name without "%" stays as it is. formatTime runs before formatDate.
void expandTimeStamp(std::string& name, const LocalTime& time, const PictureFormatter& formatTime,
                     const PictureFormatter& formatDate);
// The same with the platform's formatting in the user's locale.
void expandTimeStamp(std::string& name, const LocalTime& time);

// The platform's local time now.
LocalTime currentLocalTime();
