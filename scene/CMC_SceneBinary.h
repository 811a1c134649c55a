// The type codes of a scene's binary image: which empty object ("prototype") is made
// for a stored type code before the object reads its serialized form. The table
// holds the kinds of the script runtime; later kinds register their code from their
// own source files, e.g.
//
//   static const bool registered = CMC_SceneBinary::registerPrototype(
//       2000, [](CMC_Scene* scene) -> CMC_Object* { return new CMC_Animo(scene); });
//
// A code without a prototype goes to the scene's extension modules.
#pragma once

class CMC_Object;
class CMC_Scene;

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
};
