// The debugger-output channel: timings and diagnostics that the engine writes for
// developers. By default it discards everything; the host routes it to stderr when
// the engine runs with "debug", and tests capture it.
#pragma once
#include <string>
#include <vector>

namespace platform {

class IDebugOutput {
public:
    virtual ~IDebugOutput() = default;
    virtual void write(const char* text) = 0;
};

class NullDebugOutput : public IDebugOutput {
public:
    void write(const char*) override {}
};

class StderrDebugOutput : public IDebugOutput {
public:
    void write(const char* text) override;
};

// Keeps every line written, for tests.
class CapturedDebugOutput : public IDebugOutput {
public:
    void write(const char* text) override { lines.emplace_back(text ? text : ""); }
    std::vector<std::string> lines;
};

// Writes one text to the sink in force (a null text writes nothing).
void outputDebugString(const char* text);
// Writes one line (a newline is added) to standard error, where the user sees it
// whatever the debugger output does; skipped when that output is standard error
// already, so the line is not shown twice.
void outputErrorLine(const char* text);
// Installs a sink (not owned); null restores the discarding one.
void setDebugOutput(IDebugOutput* sink);
IDebugOutput& debugOutput();

class ScopedDebugOutput {
public:
    explicit ScopedDebugOutput(IDebugOutput& s) : m_prev(&debugOutput()) { setDebugOutput(&s); }
    ~ScopedDebugOutput() { setDebugOutput(m_prev); }
    ScopedDebugOutput(const ScopedDebugOutput&) = delete;
    ScopedDebugOutput& operator=(const ScopedDebugOutput&) = delete;

private:
    IDebugOutput* m_prev;
};

} // namespace platform
