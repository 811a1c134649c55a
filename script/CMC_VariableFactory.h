// The pools of temporary script values, one per basic value type (BOOL, DOUBLE,
// INTEGER, STRING), 500 values each, created once by initialize. Values are handed
// out in circular order after the one handed out last, released one by one
// (CMC_Object::flush) or all together at the start of each application step
// (clearPool), and never deleted before done. A pool whose values are all in use
// grows. A value handed out keeps whatever it held when it was last used.
#pragma once
#include <cstdint>

class CFile;
class CXString;
class CXArchive;
class CMC_Bool;
class CMC_Double;
class CMC_Integer;
class CMC_String;
class CMC_Variable;

class CMC_VariableFactory {
public:
    static constexpr int kPoolSize = 500;

    CMC_VariableFactory() = delete;

    // Creates the four pools; nothing when they exist already.
    static void initialize();
    // Deletes every pooled value and the pools.
    static void done();
    static bool isInitialized();

    static CMC_Bool* allocBool();
    static CMC_Double* allocDouble();
    static CMC_Integer* allocInteger();
    static CMC_String* allocString();
    // A pooled value set to `value` (through its setValue).
    static CMC_Bool* newBool(bool value);
    static CMC_Double* newDouble(double value);
    static CMC_Integer* newInteger(int32_t value);
    static CMC_String* newString(const CXString& value);

    // Marks a pooled value free; values without a pool index or of other types stay.
    static void free(CMC_Variable* value);
    // A pooled copy of an INTEGER, STRING, BOOL or DOUBLE; null for other types.
    static CMC_Variable* copyVariable(CMC_Variable* value);
    // Reads an int32 tag and the value of that type; null for another tag.
    static CMC_Variable* restore(CXArchive* archive);
    // Whether the record at the file's position has the tag of one of the four types
    // and lies whole in what is left of the file; the position is kept. Loaders check
    // each record before restore reads it.
    static bool recordFits(CFile* file);
    // The same over a network form (the tag in its first four bytes, little-endian).
    // Reads as far as the form of the tag says (a STRING up to its zero byte): only
    // for buffers known to hold a whole form.
    static CMC_Variable* netrestore(void* buffer);
    // The same over `size` bytes from outside (a network frame): null, and nothing
    // taken from a pool, when they do not hold the whole form of their tag.
    static CMC_Variable* netrestore(const void* buffer, int32_t size);
    // Every value of every pool becomes free.
    static void clearPool();
    // Grows by one at every clearPool and done: a value handed out in an earlier
    // generation may belong to someone else by now and must not be freed again.
    static uint32_t generation();

    // For tests and diagnostics: values in a type's pool (1 INTEGER, 2 STRING,
    // 3 BOOL, 4 DOUBLE; 0 for another id or before initialize), and how many are in use.
    static int poolSize(int type);
    static int inUseCount(int type);
};
