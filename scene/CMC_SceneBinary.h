// The type codes of a scene's binary image: which empty object ("prototype") is made
// for a stored type code before the object reads its serialized form. The table
// holds the kinds of the script runtime; later kinds register their code from their
// own source files, e.g.
//
//   static const bool registered = CMC_SceneBinary::registerPrototype(
//       2000, [](CMC_Scene* scene) -> CMC_Object* { return new CMC_Animo(scene); });
//
// A code without a prototype goes to the scene's extension modules.
//
// Some kinds keep texts that their record's layout has no room for (a FONT its font
// files). They go in a block after the last record, which a reader of the records
// alone never reaches:
//
//   per entry: record index (int32), text count (int32), the texts (strings)
//   entry count (int32), byte length of the entries (int32), the tag "SUPPLMNT"
//
// A reader finds the block from the end of the image before it reads the records, so
// each object gets its texts as soon as its record is read (a FONT has its letters
// before the TEXT after it is built). An image without the block, or with a damaged
// one, reads as before.
#pragma once
#include <map>
#include <vector>

#include "foundation/CXString.h"

class CMC_Object;
class CMC_Scene;
class CXArchive;

class CMC_SceneBinary {
public:
    using Prototype = CMC_Object* (*)(CMC_Scene* scene);

    CMC_SceneBinary() = delete;

    // Sets the prototype of a code (replacing an earlier one); returns true.
    static bool registerPrototype(int code, Prototype prototype);
    // The prototype of a code, or null.
    static Prototype getPrototype(int code);
    // Whether the image leaves out objects of the type id: the application, episodes,
    // scenes, RANDOM, SYSTEM and the script-file loader.
    static bool isLeftOut(int type);

    // The texts an object of the kind keeps beside its record (none: empty), and what
    // takes them back after its record is read.
    using SupplementWriter = std::vector<CXString> (*)(CMC_Object* object);
    using SupplementReader = void (*)(CMC_Object* object, const std::vector<CXString>& texts);
    static bool registerSupplement(int code, SupplementWriter writer, SupplementReader reader);
    // Appends the block for the records written, in their order; nothing when none of
    // them keeps texts.
    static void writeSupplements(CXArchive* archive, const std::vector<CMC_Object*>& records);
    // The block of the image that the archive reads, by record index; empty when the
    // image has none or a damaged one. The archive's position is kept.
    static std::map<int, std::vector<CXString>> readSupplements(CXArchive* archive);
    // Hands an object read back the texts of its record.
    static void applySupplement(CMC_Object* object, const std::vector<CXString>& texts);
};
