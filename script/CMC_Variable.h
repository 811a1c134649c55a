// The base of the script's value types (INTEGER, STRING, BOOL, DOUBLE and the
// EXPRESSION): a script object with a pool index, the TOINI and NETNOTIFY flags,
// the value operations that runners and expressions use on any value, the
// change step with its events, and the literal rule of the statement language.
#pragma once
#include <cstdint>
#include <typeinfo>

#include "foundation/CXString.h"
#include "script/CMC_Object.h"

class CXArchive;
class CConfig;
class CMC_ObjectsContainer;
class CMElement;

// What a network peer object ("NETSERVER", "NETCLIENT") offers the change step
// of a NETNOTIFY variable. The peer objects implement it next to CMC_Object.
class CMC_VariableSender {
public:
    virtual ~CMC_VariableSender() = default;
    // Server: started; client: connected.
    virtual bool canSendVariables() = 0;
    // Sends the variable's message; an empty player name means every player.
    virtual void sendVar(CXString player, CMC_Variable* variable) = 0;
};

class CMC_Variable : public CMC_Object {
public:
    // Type ids, which are also the tags of the archive and network forms.
    enum : int32_t { kInteger = 1, kString = 2, kBool = 3, kDouble = 4, kExpression = 12 };
    // Operator codes of calculate.
    enum : int32_t { kAdd = 1, kSub = 2, kMul = 3, kDiv = 4, kMod = 5 };
    // A handler that changes the variable that raised it nests the change step;
    // deeper than this no more events are raised.
    static constexpr int kMaxChangeDepth = 32;
    // Positions of the variable events in the event list.
    static constexpr int kChangedEventIndex = 3;
    static constexpr int kBrutalChangedEventIndex = 4;
    static constexpr int kNetChangeEventIndex = 5;

    CMC_Variable(CXString name, int type);
    CMC_Variable(CXString name, int type, int poolIndex);
    CMC_Variable(CMC_ObjectsContainer* container, CMElement* element, int type);
    ~CMC_Variable() override;

    using CMC_Object::compare;
    using CMC_Object::equals;
    using CMC_Object::flush;
    // Orders variables in sorted lists: forwards to the typed compare.
    int compare(CXObject* other) override;
    // The INI step, then the object's init.
    void init() override;
    CXString** getBehavioursList() override;
    // The object's common part, then the two flags (one byte each).
    void serialize(CXArchive* archive) override;

    // Value operations, in their fixed order.
    virtual void set(CMC_Variable* other);
    virtual void clear() = 0;
    virtual void swap(CMC_Variable* a, CMC_Variable* b) = 0;
    virtual void inc() = 0;
    virtual void dec() = 0;
    virtual bool equals(CMC_Variable* other) = 0;
    virtual int compare(CMC_Variable* other) = 0;
    // The value as the given type: this object for its own type, else a pooled
    // temporary (a pooled source is released first); null for other types.
    virtual CMC_Variable* convert(int type) = 0;
    // This value (left) and the other under an operator code, as a pooled
    // temporary of this value's type; this value is not changed.
    virtual CMC_Variable* calculate(CMC_Variable* other, int op) = 0;
    // The change step, run last by every assignment.
    virtual void onChange(bool changed);
    // A value received from the network for this variable.
    virtual void onNetChange(CMC_Variable* incoming);
    virtual void setDefault(CMC_Variable* other) = 0;
    virtual void resetINI() = 0;
    // The network form: tag at offset 0, then the value.
    virtual int getBufferLen() = 0;
    virtual void netstore(void* buffer) = 0;
    virtual void netrestore(void* buffer) = 0;
    // The tagged archive form: store writes tag and value, restore reads the value.
    virtual void store(CXArchive* archive) = 0;
    virtual void restore(CXArchive* archive) = 0;
    virtual void fromString(CXString text);

    // A pooled temporary holding the literal that the text spells.
    static CMC_Variable* resolve(const CXString& text);
    static bool isNumber(const CXString& text);
    // One of the four basic types (INTEGER, STRING, BOOL, DOUBLE).
    static bool isValueType(int type) {
        return type == kInteger || type == kString || type == kBool || type == kDouble;
    }
    // The value as a T: a plain cast when its class is exactly T (type descriptors are
    // unique within the engine library, so equal addresses mean the same class), else
    // the full cast. Null for null.
    template <class T>
    static T* valueCast(CMC_Variable* value) {
        if (value && &typeid(*value) == &typeid(T)) return static_cast<T*>(value);
        return dynamic_cast<T*>(value);
    }

    // The object as a value when its class is exactly INTEGER, STRING, BOOL or DOUBLE;
    // null for anything else (null included). Pooled values are always of these
    // classes, so this is all that releasing a result needs, without a cast's walk.
    static CMC_Variable* basicValue(CXObject* object);
    // Hands the object back to its pool when it is a pooled value; nothing otherwise.
    static void release(CXObject* object) {
        if (CMC_Variable* value = basicValue(object)) CMC_Object::flush(value);
    }

    // -1 for a variable that belongs to no pool.
    int getPoolIndex() const { return m_poolIndex; }
    bool isPooled() const { return m_poolIndex >= 0; }
    bool isToIni() const { return m_toIni; }
    bool isNetNotify() const { return m_netNotify; }
    void setToIni(bool on) { m_toIni = on; }
    void setNetNotify(bool on) { m_netNotify = on; }

protected:
    // Little-endian fields of the network form.
    static void putInt32(void* buffer, int offset, int32_t value);
    static int32_t getInt32(const void* buffer, int offset);
    // Raises "EVENT^" + the value's text, then the plain event when nothing took it.
    void raiseWithValue(const char* event);
    // The application's INI settings as the variable's container reaches them.
    CConfig* getConfig();
    // Section for TOINI values: the name of the container that owns the variable.
    CXString getIniSection();

private:
    void sendToNetwork();

    int32_t m_poolIndex = -1;
    bool m_toIni = false;
    bool m_netNotify = false;
};
