#include "scene/CMC_System.h"

#include <pthread.h>
#include <sched.h>

#include "foundation/CFile.h"
#include "foundation/CPath.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/WindowPlacement.h"
#include "scene/CVondrelWEB.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_Bool.h"
#include "script/CMC_Integer.h"
#include "script/CMC_String.h"
#include "script/CMC_VariableFactory.h"
#include "shell/CCommandLine6.h"
#include "shell/CWindow.h"

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#define VONDREL_HAS_TSC 1
#endif

namespace {

const bool registered = CMC_RunnerFactory::registerRunner(
    CMC_RunnerFactory::kSystem, []() -> CMC_Runner* { return new CMC_System_Runner(); });

const char* const kDays[7] = {"Niedziela", "Poniedzialek", "Wtorek", "Sroda", "Czwartek", "Piatek", "Sobota"};
const char* const kMonths[12] = {"Styczen", "Luty",      "Marzec",      "Kwiecien", "Maj",      "Czerwiec",
                                 "Lipiec",  "Sierpien",  "Wrzesien",    "Pazdziernik", "Listopad", "Grudzien"};

const char* dayName(const std::tm& t) { return t.tm_wday >= 0 && t.tm_wday < 7 ? kDays[t.tm_wday] : ""; }
const char* monthName(const std::tm& t) { return t.tm_mon >= 0 && t.tm_mon < 12 ? kMonths[t.tm_mon] : ""; }

#ifdef VONDREL_HAS_TSC
// Time-stamp ticks over `ms` of the real monotonic counter, less what reading the
// counter costs (a pass that ends after its first reading).
int64_t measureTicks(uint32_t ms) {
    platform::SystemClock real;
    const int64_t frequency = real.perfFrequency();
    const int64_t target = frequency / 1000 * ms;
    uint64_t before = __rdtsc();
    int64_t start = real.perfCounter();
    while (real.perfCounter() - start < target) {
    }
    const uint64_t waited = __rdtsc() - before;
    before = __rdtsc();
    start = real.perfCounter();
    while (real.perfCounter() - start == target) {
    }
    const uint64_t calibration = __rdtsc() - before;
    return static_cast<int64_t>(waited) - static_cast<int64_t>(calibration);
}
#endif

}  // namespace

CMC_System::CMC_System(CMC_ObjectsContainer* owner) : CMC_Object(CXString("SYSTEM"), kType) { setScene(owner); }

CMC_Runner* CMC_System::getRunner() { return CMC_RunnerFactory::getRunner(kType); }

std::tm CMC_System::getCurTime() {
    const time_t now = static_cast<time_t>(platform::clock().wallClock());
    std::tm broken{};
    gmtime_r(&now, &broken);
    return broken;
}

int CMC_System::getSystemTime() { return static_cast<int32_t>(platform::clock().tickCount()); }

int CMC_System::getMHz() {
#ifdef VONDREL_HAS_TSC
    constexpr uint32_t kMilliseconds = 50;
    // Real-time priority for the measurement when the system grants it; a refusal
    // (no privilege) measures at the normal priority.
    int oldPolicy = 0;
    sched_param oldParam{};
    const bool raised = [&] {
        if (pthread_getschedparam(pthread_self(), &oldPolicy, &oldParam) != 0) return false;
        sched_param param{};
        param.sched_priority = sched_get_priority_max(SCHED_FIFO);
        return pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0;
    }();
    const int64_t ticks = measureTicks(kMilliseconds);
    if (raised) pthread_setschedparam(pthread_self(), oldPolicy, &oldParam);
    return static_cast<int32_t>(ticks / kMilliseconds / 1000);
#else
    return 0;
#endif
}

int CMC_System::getDate() {
    const std::tm t = getCurTime();
    return (t.tm_year + 1900 - 2000) * 10000 + (t.tm_mon + 1) * 100 + t.tm_mday;
}

int CMC_System::getDay() { return getCurTime().tm_mday; }
int CMC_System::getDayOfWeek() { return getCurTime().tm_wday + 1; }
int CMC_System::getMonth() { return getCurTime().tm_mon + 1; }
int CMC_System::getYear() { return getCurTime().tm_year + 1900; }
int CMC_System::getHour() { return getCurTime().tm_hour; }
int CMC_System::getMinutes() { return getCurTime().tm_min; }
int CMC_System::getSeconds() { return getCurTime().tm_sec; }

CXString CMC_System::getDateString() {
    const std::tm t = getCurTime();
    CXString text;
    text.Format("%d/", t.tm_mday);
    text += monthName(t);
    CXString year;
    year.Format("/%d", t.tm_year + 1900);
    text += year;
    return text;
}

CXString CMC_System::getDayOfWeekString() { return CXString(dayName(getCurTime())); }
CXString CMC_System::getMonthString() { return CXString(monthName(getCurTime())); }

CXString CMC_System::getTimeString() {
    const std::tm t = getCurTime();
    CXString text;
    text.Format("%d:%d", t.tm_hour, t.tm_min);
    return text;
}

// ---- runner -------------------------------------------------------------------------

void CMC_System_Runner::prepareMthHashSet() {
    CMC_Runner::prepareMthHashSet();
    putMethod("GETDATE", kGetDate);
    putMethod("GETDATESTRING", kGetDateString);
    putMethod("GETDAY", kGetDay);
    putMethod("GETDAYOFWEEK", kGetDayOfWeek);
    putMethod("GETDAYOFWEEKSTRING", kGetDayOfWeekString);
    putMethod("GETMONTH", kGetMonth);
    putMethod("GETMONTHSTRING", kGetMonthString);
    putMethod("GETYEAR", kGetYear);
    putMethod("GETTIMESTRING", kGetTimeString);
    putMethod("GETHOUR", kGetHour);
    putMethod("GETMINUTES", kGetMinutes);
    putMethod("GETSECONDS", kGetSeconds);
    putMethod("GETSYSTEMTIME", kGetSystemTime);
    putMethod("GETMHZ", kGetMHz);
    putMethod("DELAY", kDelay);
    putMethod("COPYFILE", kCopyFile);
    putMethod("MINIMIZE", kMinimize);
    putMethod("ISCMDLINEPARAMETER", kIsCmdLineParameter);
    putMethod("GETCMDLINEPARAMETER", kGetCmdLineParameter);
    putMethod("INSTALL", kInstall);
    putMethod("UNINSTALL", kUninstall);
}

CMC_Variable* CMC_System_Runner::run(int id, CMC_Object* target, CMC_ObjectsContainer* container,
                                     CXVector* arguments) {
    auto* system = dynamic_cast<CMC_System*>(target);
    if (!system) return nullptr;
    CMC_ObjectsContainer* owner = system->getScene();
    CWindow* window = owner ? owner->getWindow() : (container ? container->getWindow() : nullptr);
    CCommandLine6* commandLine = window ? window->getCommandLineIfc() : nullptr;
    const int count = argumentCount(arguments);
    switch (id) {
    case kGetDate: return CMC_VariableFactory::newInteger(system->getDate());
    case kGetDateString: return CMC_VariableFactory::newString(system->getDateString());
    case kGetDay: return CMC_VariableFactory::newInteger(system->getDay());
    case kGetDayOfWeek: return CMC_VariableFactory::newInteger(system->getDayOfWeek());
    case kGetDayOfWeekString: return CMC_VariableFactory::newString(system->getDayOfWeekString());
    case kGetMonth: return CMC_VariableFactory::newInteger(system->getMonth());
    case kGetMonthString: return CMC_VariableFactory::newString(system->getMonthString());
    case kGetYear: return CMC_VariableFactory::newInteger(system->getYear());
    case kGetTimeString: return CMC_VariableFactory::newString(system->getTimeString());
    case kGetHour: return CMC_VariableFactory::newInteger(system->getHour());
    case kGetMinutes: return CMC_VariableFactory::newInteger(system->getMinutes());
    case kGetSeconds: return CMC_VariableFactory::newInteger(system->getSeconds());
    case kGetSystemTime: return CMC_VariableFactory::newInteger(system->getSystemTime());
    case kGetMHz: return CMC_VariableFactory::newInteger(system->getMHz());
    case kDelay: {
        if (count < 1) return nullptr;
        const int ms = parameterInt(arguments, 0);
        if (ms > 0) platform::clock().sleep(static_cast<uint32_t>(ms));
        return nullptr;
    }
    case kCopyFile: {
        if (count < 2) return nullptr;
        const CXString from = CPath::resolveFileName(window, getParameterText(arguments, 0));
        const CXString to = CPath::resolveFileName(window, getParameterText(arguments, 1));
        return CMC_VariableFactory::newBool(CFile::copyWhole(from, to, "COPYFILE"));
    }
    case kMinimize:
        if (window) platform::windowPlacement().minimize(window->GetHwnd());
        return nullptr;
    case kIsCmdLineParameter:
        if (count < 1) return nullptr;
        return CMC_VariableFactory::newBool(commandLine && commandLine->isParameter(getParameterText(arguments, 0)));
    case kGetCmdLineParameter:
        if (count < 1) return nullptr;
        return CMC_VariableFactory::newString(commandLine ? commandLine->getParameter(getParameterText(arguments, 0))
                                                          : CXString());
    case kInstall: {
        if (count < 2) return nullptr;
        const CXString game = getParameterText(arguments, 0);
        const CXString fullName = getParameterText(arguments, 1);
        const CXString folder = CFile::getCurrentDirectory();
        CFile::chDir(CWindow::exePath);
        CVondrelWEB::install(nullptr, game, fullName,
                             commandLine ? commandLine->getServer() : CXString(CCommandLine6::kDefaultServer));
        CFile::chDir(folder);
        return nullptr;
    }
    case kUninstall:
        if (count < 1) return nullptr;
        CVondrelWEB::uninstall(getParameterText(arguments, 0));
        return nullptr;
    default: return nullptr;
    }
}
