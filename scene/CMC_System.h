// The script object "SYSTEM" (type 11000), one per application: the calendar date and
// time in universal time, a millisecond clock, the processor's clock speed, a blocking
// delay, file copying, minimising the window, the command line, and installing and
// removing downloaded games. Time comes from the platform clock, so a manual clock
// gives tests any date.
#pragma once
#include <cstdint>
#include <ctime>

#include "foundation/CXString.h"
#include "script/CMC_Object.h"
#include "script/CMC_Runner.h"

class CMC_System : public CMC_Object {
public:
    static constexpr int kType = 11000;

    explicit CMC_System(CMC_ObjectsContainer* owner);
    CMC_Runner* getRunner() override;

    // Milliseconds of the platform's tick count, taken as a signed 32-bit number.
    int getSystemTime();
    // Time-stamp counter ticks per microsecond over 50 ms of the real monotonic clock
    // (whatever clock is installed), at real-time priority when the system allows it;
    // 0 without a time-stamp counter.
    int getMHz();
    // (year - 2000) x 10000 + month x 100 + day.
    int getDate();
    int getDay();
    // 1 for Sunday to 7 for Saturday.
    int getDayOfWeek();
    int getMonth();
    int getYear();
    int getHour();
    int getMinutes();
    int getSeconds();
    // "day/month name/year", from one reading of the clock.
    CXString getDateString();
    CXString getDayOfWeekString();
    CXString getMonthString();
    // "hour:minute" without leading zeros, from one reading of the clock.
    CXString getTimeString();

private:
    // The current universal broken-down time of the platform clock.
    static std::tm getCurTime();
};

class CMC_System_Runner : public CMC_Runner {
public:
    enum : int {
        kGetDate = 1,
        kGetDateString = 2,
        kGetDay = 3,
        kGetDayOfWeek = 4,
        kGetDayOfWeekString = 5,
        kGetMonth = 6,
        kGetMonthString = 7,
        kGetYear = 8,
        kGetTimeString = 9,
        kGetHour = 10,
        kGetMinutes = 11,
        kGetSeconds = 12,
        kGetSystemTime = 13,
        kGetMHz = 14,
        kDelay = 15,
        kCopyFile = 16,
        kMinimize = 17,
        kIsCmdLineParameter = 18,
        kGetCmdLineParameter = 19,
        kInstall = 20,
        kUninstall = 21
    };

    void prepareMthHashSet() override;
    using CMC_Runner::run;
    // The ids above; every other id, the common ones included, does nothing.
    CMC_Variable* run(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) override;
};
