// The script TIMER (type 2007): fires every ELAPSE milliseconds from the window's
// timer list, counts its firings while enabled, switches itself off at a TICKS limit
// and raises "ONTICK^" with the tick number, then "ONTICK" when no handler took that.
#pragma once
#include <cstdint>

#include "foundation/CTimerNotificator.h"
#include "foundation/CXString.h"
#include "script/CMC_Object.h"
#include "script/CMC_Runner.h"

class CWindow;

class CMC_Timer : public CMC_Object, public CTimerNotificator {
public:
    static constexpr int kType = 2007;
    static constexpr int kTickEventIndex = 3;

    // From a definition: ENABLED (any text but "true" in any case disables), ELAPSE
    // (no timer without it), TICKS (0 or less: no limit).
    CMC_Timer(CMC_ObjectsContainer* container, CMElement* element);
    // An empty timer that a binary image fills; always enabled.
    explicit CMC_Timer(CMC_ObjectsContainer* container);
    // Takes the timer out of the window's list.
    ~CMC_Timer() override;
    CMC_Timer(const CMC_Timer&) = delete;
    CMC_Timer& operator=(const CMC_Timer&) = delete;

    CXString** getBehavioursList() override;
    // The common part, the ELAPSE text and the limit; reading adds the timer (an
    // empty ELAPSE fires on every frame).
    void serialize(CXArchive* archive) override;
    void onTimer(intptr_t id) override;

    // Enables with ticks 0 and the timer restarted; nothing when enabled already.
    void enable();
    void disable() { m_enabled = false; }
    // Disables and pauses every timer of the window.
    void pause();
    // When disabled: enables and resumes every timer of the window.
    void resume();
    int getTick() const { return m_ticks; }
    // Restarts the timer from now with ticks 0.
    void reset();
    // Restarts the timer from now with a new limit.
    void set(int limit);
    // A new interval for the timer; its start and count stay.
    void setElapse(unsigned int ms);
    bool isEnabled() const { return m_enabled; }
    int getLimit() const { return m_limit; }

private:
    intptr_t timerId() const { return reinterpret_cast<intptr_t>(this); }
    void addTimer();

    CWindow* m_window = nullptr;
    bool m_enabled = true;
    int32_t m_ticks = 0;
    int32_t m_limit = 0;
    CXString m_elapse;
    bool m_hasTimer = false;
};

class CMC_Timer_Runner : public CMC_Runner {
public:
    enum : int {
        kEnable = 1,
        kDisable = 2,
        kPause = 3,
        kResume = 4,
        kGetTicks = 5,
        kReset = 6,
        kSet = 7,
        kSetElapse = 8,
    };

    void prepareMthHashSet() override;
    using CMC_Runner::run;
    CMC_Variable* run(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) override;
};
