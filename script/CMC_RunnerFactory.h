// Holds the one runner object of every script type and hands it out by type id.
// Static only; initialize() fills the members (in the order of the Slot list), done()
// deletes them.
//
// Registration point. The factory knows no runner class: each type's runner
// registers a maker for its slot, and initialize() creates, in slot order, one runner
// per registered maker and calls its prepareMthHashSet. Register at load time from the
// runner's own source file, e.g. in CMC_Array_Runner.cpp:
//
//   static const bool registered = CMC_RunnerFactory::registerRunner(
//       CMC_RunnerFactory::kArray, [] () -> CMC_Runner* { return new CMC_Array_Runner(); });
//
// (the engine is one shared library, so every source file's static initialisers run
// when it loads). A slot without a maker stays null: getRunner gives null for its
// ids and statements on such objects do nothing. A maker registered after
// initialize() is used by the next initialize() when its slot is still empty (after
// done(), or when the slot had no maker). Objects whose type id is above 10000 bring
// their own runner (CMC_Object::getRunner) and need no slot.
#pragma once
#include <cstdint>

class CMC_Runner;

class CMC_RunnerFactory {
public:
    // The slots, in the order initialize() fills them.
    enum Slot : int {
        kAnimo,
        kApp,
        kArray,
        kBehaviour,
        kButton,
        kCanvasObserver,
        kCNVLoader,
        kCondition,  // CONDITION and COMPLEXCONDITION
        kDialog,
        kEditBox,
        kEpisode,
        kFont,
        kGroup,
        kImage,
        kKeyboard,
        kMouse,
        kRand,
        kScene,
        kSequence,
        kSound,
        kSystem,
        kText,
        kTimer,
        kVariable,  // INTEGER, STRING, BOOL, DOUBLE, EXPRESSION
        kNetServer,
        kNetClient,
        kDummy,  // the built-in statements (type id 0)
        kFilter,
        kStaticFilter,
        kVector,
        kPath,
        kQuene,  // FIFO and LIFO
        kCanvas,
        kPattern,
        kScroll,
        kStructure,
        kDatabase,
        kClass,
        kVGO,
        kMultiArray,
        kJoystick,
        kMovie,
        kGrBuffer,
        kInternet,
        kSlotCount
    };
    using RunnerMaker = CMC_Runner* (*)();

    CMC_RunnerFactory() = delete;

    // Creates the runner of every registered slot in slot order, each with its method
    // table complete before the next is made. Runners made by an earlier initialize()
    // stay (statements parsed since hold them); only empty slots are filled.
    static void initialize();
    // Deletes the runners in slot order; every member becomes null.
    static void done();
    // The runner for a type id; null for ids of no slot, for slots without a maker,
    // and before initialize / after done.
    static CMC_Runner* getRunner(int type);

    // Sets the maker of a slot (replacing an earlier one); false for a slot outside
    // the list. Always returns true otherwise, so it can initialise a static.
    static bool registerRunner(Slot slot, RunnerMaker maker);
    // Whether a slot has a maker, and the maker (null when none or outside the list).
    static bool isRegistered(Slot slot);
    static RunnerMaker getMaker(Slot slot);
    // The slot serving a type id, or -1.
    static int slotOf(int type);
    // The runner of a slot (null outside the list).
    static CMC_Runner* getSlot(Slot slot);

    static CMC_Runner* pAnimoRunner;
    static CMC_Runner* pAppRunner;
    static CMC_Runner* pArrayRunner;
    static CMC_Runner* pBehaviourRunner;
    static CMC_Runner* pButtonRunner;
    static CMC_Runner* pCORunner;
    static CMC_Runner* pCNVLoaderRunner;
    static CMC_Runner* pConditionRunner;
    static CMC_Runner* pDialogRunner;
    static CMC_Runner* pEditBoxRunner;
    static CMC_Runner* pEpisodeRunner;
    static CMC_Runner* pFontRunner;
    static CMC_Runner* pGroupRunner;
    static CMC_Runner* pImageRunner;
    static CMC_Runner* pKeyboardRunner;
    static CMC_Runner* pMouseRunner;
    static CMC_Runner* pRandRunner;
    static CMC_Runner* pSceneRunner;
    static CMC_Runner* pSequenceRunner;
    static CMC_Runner* pSoundRunner;
    static CMC_Runner* pSystemRunner;
    static CMC_Runner* pTextRunner;
    static CMC_Runner* pTimerRunner;
    static CMC_Runner* pVariableRunner;
    static CMC_Runner* pNetServerRunner;
    static CMC_Runner* pNetClientRunner;
    static CMC_Runner* pDummyRunner;
    static CMC_Runner* pFilterRunner;
    static CMC_Runner* pStaticFilterRunner;
    static CMC_Runner* pVectorRunner;
    static CMC_Runner* pPathRunner;
    static CMC_Runner* pQueneRunner;
    static CMC_Runner* pCanvasRunner;
    static CMC_Runner* pPatternRunner;
    static CMC_Runner* pScrollRunner;
    static CMC_Runner* pStructureRunner;
    static CMC_Runner* pDatabaseRunner;
    static CMC_Runner* pClassRunner;
    static CMC_Runner* pVGORunner;
    static CMC_Runner* pMultiArrayRunner;
    static CMC_Runner* pJoystickRunner;
    static CMC_Runner* pMovieRunner;
    static CMC_Runner* pGrBufferRunner;
    static CMC_Runner* pInternetRunner;
};
