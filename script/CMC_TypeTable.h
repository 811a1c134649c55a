// The script type table: which TYPE word of a definition element makes which class,
// the type id each carries, the pass of CMC_ObjectsContainer::resolveObjects that
// builds it, and whether CMC_ObjectsContainer::resolve builds it in the container's
// scene. Also the object creation behind those two container operations.
//
// Registration point. The table's rows are fixed, but it builds only the kinds whose
// class has registered a constructor; an element of any other TYPE word takes the
// path of unknown words (the scene's resolveEx, i.e. the extension modules, and the
// leftover list), so definition files load before every class exists. Register at
// load time from the class's own source file, next to its runner:
//
//   static const bool registered = CMC_TypeTable::registerType(
//       "ARRAY", [](CMC_ObjectsContainer* c, CMElement* e) -> CMC_Object* { return new CMC_Array(c, e); });
//
// Collections that the common methods ADDTOGROUP / ADDTOARRAY and resolve's group step
// fill register how an item is added, by their type id:
//
//   static const bool adder = CMC_TypeTable::registerAdder(
//       3001, [](CMC_Object* array, CMC_Object* item) {
//           if (auto* v = dynamic_cast<CMC_Variable*>(item)) static_cast<CMC_Array*>(array)->add(v);
//       });
//
// A type's runner registers with CMC_RunnerFactory (see there).
#pragma once
#include <cstdint>
#include <vector>

#include "foundation/CXString.h"

class CMElement;
class CMElements;
class CXVector;
class CMC_Object;
class CMC_ObjectsContainer;

class CMC_TypeTable {
public:
    // Builds one object from its definition element, with the given container.
    using Constructor = CMC_Object* (*)(CMC_ObjectsContainer* container, CMElement* element);
    // Adds `item` to `collection` (an object of the adder's type).
    using Adder = void (*)(CMC_Object* collection, CMC_Object* item);

    struct Row {
        const char* word;  // the TYPE word, compared exactly
        int32_t id;        // the type id of the class
        int32_t pass;      // the pass of resolveObjects that builds it (1 to 6)
        bool inScene;      // resolve builds it with the container's scene
    };

    CMC_TypeTable() = delete;

    // The row of a TYPE word (exact, with case), or null.
    static const Row* findRow(const CXString& word);
    // The fixed rows in table order, and their number.
    static const Row* rows();
    static int rowCount();

    // Sets the constructor of a TYPE word of the table (replacing an earlier one);
    // false when the word is not in the table. Returns true otherwise, so it can
    // initialise a static.
    static bool registerType(const char* word, Constructor constructor);
    // The registered constructor of a word, or null.
    static Constructor getConstructor(const CXString& word);
    // Sets how items are added to objects of a type id (null removes it); returns true.
    static bool registerAdder(int type, Adder adder);
    // The adder of a type id, or null.
    static Adder getAdder(int type);
    // Adds `item` to `collection` with the adder of the collection's type. False (and
    // nothing done) when either is null or the type has no adder.
    static bool addTo(CMC_Object* collection, CMC_Object* item);

    // The object that a MOUSE (named "MOUSE"), KEYBOARD or CANVAS_OBSERVER of the type
    // id and name, met in the container, gives its handlers to instead of standing
    // alone (resolveObjects' merge, also for objects read from a scene image); null
    // when it stands alone.
    static CMC_Object* mergeTarget(CMC_ObjectsContainer* container, int type, const CXString& name);
    // The objects outside the container that hold handlers its elements merged into
    // them, for the container's image. Their kinds have no part beyond the common one.
    static std::vector<CMC_Object*> mergedOutside(CMC_ObjectsContainer* container);

    // CMC_ObjectsContainer::resolveObjects and resolve; see there.
    static CMElements* resolveObjects(CMC_ObjectsContainer* container, CMElements* elements);
    static CXVector* resolve(CMC_ObjectsContainer* container, CMElement* element, CMC_Object* group);

    // The GROUP type id, whose adder resolve's group step uses.
    static constexpr int kGroupType = 3000;
    static constexpr int kArrayType = 3001;
};
