// Root of most engine classes: an error code, a to-delete flag for the window's
// deferred-delete collector, and the virtual operations containers and hash tables use.
#pragma once
#include <cstdint>

class CXString;
class CMessage;

class CXObject {
public:
    CXObject();
    CXObject(const CXObject& other) = default;
    CXObject& operator=(const CXObject& other) = default;

    virtual ~CXObject();
    virtual bool isToDelete();
    virtual void setToDelete();
    // Identity hash: the object's address, deliberately truncated to 32 bits.
    virtual int getHashcode();
    virtual bool equals(CXObject* other);
    virtual int compare(CXObject* other);
    virtual CXObject* clone();
    virtual CXString toString();
    virtual void notifyMessageReceive(CMessage* message);
    virtual int processMessage(CMessage* message);

    void setErrorCode(int code) { m_errorCode = code; }
    int LastError() const { return m_errorCode; }

    // Hands a line to the window's log.
    void log(const char* text, bool flag);
    // One-slot stopwatch over the high-resolution clock: a name starts a
    // measurement, null ends it and writes the elapsed time.
    static void profile(const char* name, bool toLog);

    static int16_t swap_word(int16_t v);
    static int32_t swap_dword(int32_t v);

private:
    uint8_t m_reserved = 0;
    int32_t m_errorCode = 0;
    bool m_toDelete = false;
};

// Magnitude of x; INT32_MIN, whose magnitude does not fit, gives INT32_MAX.
int absolute(int x);
