// Caps on the nesting that scripts and files drive, so that no script overflows the
// stack. Script code runs on the host thread only, so the counters are plain statics.
//
// CMC_RunDepth counts nested runs: behaviours (RUN, events, class methods and loop
// bodies all run one), conditions and expressions. The run beyond kMaxDepth does
// nothing and gives null (or false); the first refusal of an outermost run writes one
// line to the debug output.
//
// CMC_ParseDepth counts nested statement texts while statements are parsed and while
// the uncached evaluator reads statement text; the level beyond kMaxDepth is left
// unparsed (it does nothing when run).
#pragma once

class CMC_RunDepth {
public:
    static constexpr int kMaxDepth = 200;

    CMC_RunDepth() : m_entered(s_depth < kMaxDepth) {
        if (m_entered)
            ++s_depth;
        else
            refuse();
    }
    ~CMC_RunDepth() {
        // The outermost run is over: the next one that goes too deep reports again.
        if (m_entered && --s_depth == 0) s_reported = false;
    }
    CMC_RunDepth(const CMC_RunDepth&) = delete;
    CMC_RunDepth& operator=(const CMC_RunDepth&) = delete;

    // False when the run is one too deep and must do nothing.
    bool entered() const { return m_entered; }
    static int depth() { return s_depth; }

private:
    // Writes the line once per outermost run.
    static void refuse();

    bool m_entered;
    static inline int s_depth = 0;
    static inline bool s_reported = false;
};

class CMC_ParseDepth {
public:
    static constexpr int kMaxDepth = 100;

    CMC_ParseDepth() : m_entered(s_depth < kMaxDepth) {
        if (m_entered) ++s_depth;
    }
    ~CMC_ParseDepth() {
        if (m_entered) --s_depth;
    }
    CMC_ParseDepth(const CMC_ParseDepth&) = delete;
    CMC_ParseDepth& operator=(const CMC_ParseDepth&) = delete;

    bool entered() const { return m_entered; }

private:
    bool m_entered;
    static inline int s_depth = 0;
};
