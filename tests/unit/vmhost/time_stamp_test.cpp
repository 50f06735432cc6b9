#include "vmhost/time_stamp.h"

#include <gtest/gtest.h>

namespace {

// Wednesday, 7 January 2026, 14:23:05.087
LocalTime afternoon() {
    LocalTime time;
    time.year = 2026;
    time.month = 1;
    time.dayOfWeek = 3;
    time.day = 7;
    time.hour = 14;
    time.minute = 23;
    time.second = 5;
    time.milliseconds = 87;
    return time;
}

std::string portable(std::string name, const LocalTime& time) {
    CalendarNames names = englishCalendarNames();
    expandTimeStamp(
        name, time,
        [&](const std::string& p, const LocalTime& t) { return formatTimePicture(p, t, names); },
        [&](const std::string& p, const LocalTime& t) { return formatDatePicture(p, t, names); });
    return name;
}

TEST(TimeStamp, ReplacesThePictureBetweenTheFirstAndTheLastPercentSign) {
    struct Case {
        const char* name;
        const char* expected;
    } cases[] = {
        {"D:\\Logs\\run_%yyyyMMdd_HHmmss_L%.txt", "D:\\Logs\\run_20260107_142305_87.txt"},
        {"out.log", "out.log"},
        {"a%b", "ab"}, // one sign: an empty picture
        {"%%x", "x"},
        {"x%yy%y%yy%z", "x26%26%26z"}, // inner signs belong to the picture
        {"%h:mm t%", "2:23 P"},
        {"%hh t H%", "02 P 14"},
        {"%ddd, d MMM yy%", "Wed, 7 Jan 26"},
        {"%dddd MMMM y g%", "Wednesday January 26 A.D."},
        {"%'Hms' H%", "Hms 14"}, // quoted text is copied by the time pass
        {"%LLL%", "878787"},
        {"%xz_%", "xz_"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(portable(c.name, afternoon()), c.expected) << c.name;
}

TEST(TimeStamp, FormatsTimePicturesBeforeDatePictures) {
    // "tt" becomes "PM" first; its "M" is then a month picture of the date pass.
    EXPECT_EQ(portable("%tt%", afternoon()), "P1");
}

TEST(TimeStamp, UsesTwelveForMidnightAndNoonInTheTwelveHourForms) {
    LocalTime midnight = afternoon();
    midnight.hour = 0;
    midnight.milliseconds = 0;
    EXPECT_EQ(portable("%h hh HH L%", midnight), "12 12 00 0");
}

TEST(TimeStamp, PlatformFormattingGivesTheSameNumericPictures) {
    std::string name = "run_%yyyy-MM-dd_HH.mm.ss_L%.txt";
    expandTimeStamp(name, afternoon());
    EXPECT_EQ(name, "run_2026-01-07_14.23.05_87.txt");
}

TEST(TimeStamp, CurrentLocalTimeIsAPlausibleCalendarTime) {
    LocalTime now = currentLocalTime();
    EXPECT_GE(now.year, 2024);
    EXPECT_TRUE(now.month >= 1 && now.month <= 12);
    EXPECT_TRUE(now.day >= 1 && now.day <= 31);
    EXPECT_TRUE(now.milliseconds >= 0 && now.milliseconds <= 999);
}

} // namespace
