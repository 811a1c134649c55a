#include "script/CMC_RunnerFactory.h"

#include "script/CMC_BasicCondition_Runner.h"
#include "script/CMC_Behaviour_Runner.h"
#include "script/CMC_Dummy_Runner.h"
#include "script/CMC_Runner.h"

CMC_Runner* CMC_RunnerFactory::pAnimoRunner = nullptr;
CMC_Runner* CMC_RunnerFactory::pAppRunner = nullptr;
CMC_Runner* CMC_RunnerFactory::pArrayRunner = nullptr;
CMC_Runner* CMC_RunnerFactory::pBehaviourRunner = nullptr;
CMC_Runner* CMC_RunnerFactory::pButtonRunner = nullptr;
CMC_Runner* CMC_RunnerFactory::pCORunner = nullptr;
CMC_Runner* CMC_RunnerFactory::pCNVLoaderRunner = nullptr;
CMC_Runner* CMC_RunnerFactory::pConditionRunner = nullptr;
CMC_Runner* CMC_RunnerFactory::pDialogRunner = nullptr;
CMC_Runner* CMC_RunnerFactory::pEditBoxRunner = nullptr;
CMC_Runner* CMC_RunnerFactory::pEpisodeRunner = nullptr;
CMC_Runner* CMC_RunnerFactory::pFontRunner = nullptr;
CMC_Runner* CMC_RunnerFactory::pGroupRunner = nullptr;
CMC_Runner* CMC_RunnerFactory::pImageRunner = nullptr;
CMC_Runner* CMC_RunnerFactory::pKeyboardRunner = nullptr;
CMC_Runner* CMC_RunnerFactory::pMouseRunner = nullptr;
CMC_Runner* CMC_RunnerFactory::pRandRunner = nullptr;
CMC_Runner* CMC_RunnerFactory::pSceneRunner = nullptr;
CMC_Runner* CMC_RunnerFactory::pSequenceRunner = nullptr;
CMC_Runner* CMC_RunnerFactory::pSoundRunner = nullptr;
CMC_Runner* CMC_RunnerFactory::pSystemRunner = nullptr;
CMC_Runner* CMC_RunnerFactory::pTextRunner = nullptr;
CMC_Runner* CMC_RunnerFactory::pTimerRunner = nullptr;
CMC_Runner* CMC_RunnerFactory::pVariableRunner = nullptr;
CMC_Runner* CMC_RunnerFactory::pNetServerRunner = nullptr;
CMC_Runner* CMC_RunnerFactory::pNetClientRunner = nullptr;
CMC_Runner* CMC_RunnerFactory::pDummyRunner = nullptr;
CMC_Runner* CMC_RunnerFactory::pFilterRunner = nullptr;
CMC_Runner* CMC_RunnerFactory::pStaticFilterRunner = nullptr;
CMC_Runner* CMC_RunnerFactory::pVectorRunner = nullptr;
CMC_Runner* CMC_RunnerFactory::pPathRunner = nullptr;
CMC_Runner* CMC_RunnerFactory::pQueneRunner = nullptr;
CMC_Runner* CMC_RunnerFactory::pCanvasRunner = nullptr;
CMC_Runner* CMC_RunnerFactory::pPatternRunner = nullptr;
CMC_Runner* CMC_RunnerFactory::pScrollRunner = nullptr;
CMC_Runner* CMC_RunnerFactory::pStructureRunner = nullptr;
CMC_Runner* CMC_RunnerFactory::pDatabaseRunner = nullptr;
CMC_Runner* CMC_RunnerFactory::pClassRunner = nullptr;
CMC_Runner* CMC_RunnerFactory::pVGORunner = nullptr;
CMC_Runner* CMC_RunnerFactory::pMultiArrayRunner = nullptr;
CMC_Runner* CMC_RunnerFactory::pJoystickRunner = nullptr;
CMC_Runner* CMC_RunnerFactory::pMovieRunner = nullptr;
CMC_Runner* CMC_RunnerFactory::pGrBufferRunner = nullptr;
CMC_Runner* CMC_RunnerFactory::pInternetRunner = nullptr;

namespace {

using Factory = CMC_RunnerFactory;

// The member of each slot, in slot order.
CMC_Runner** const kMembers[Factory::kSlotCount] = {
    &Factory::pAnimoRunner,     &Factory::pAppRunner,          &Factory::pArrayRunner,
    &Factory::pBehaviourRunner, &Factory::pButtonRunner,       &Factory::pCORunner,
    &Factory::pCNVLoaderRunner, &Factory::pConditionRunner,    &Factory::pDialogRunner,
    &Factory::pEditBoxRunner,   &Factory::pEpisodeRunner,      &Factory::pFontRunner,
    &Factory::pGroupRunner,     &Factory::pImageRunner,        &Factory::pKeyboardRunner,
    &Factory::pMouseRunner,     &Factory::pRandRunner,         &Factory::pSceneRunner,
    &Factory::pSequenceRunner,  &Factory::pSoundRunner,        &Factory::pSystemRunner,
    &Factory::pTextRunner,      &Factory::pTimerRunner,        &Factory::pVariableRunner,
    &Factory::pNetServerRunner, &Factory::pNetClientRunner,    &Factory::pDummyRunner,
    &Factory::pFilterRunner,    &Factory::pStaticFilterRunner, &Factory::pVectorRunner,
    &Factory::pPathRunner,      &Factory::pQueneRunner,        &Factory::pCanvasRunner,
    &Factory::pPatternRunner,   &Factory::pScrollRunner,       &Factory::pStructureRunner,
    &Factory::pDatabaseRunner,  &Factory::pClassRunner,        &Factory::pVGORunner,
    &Factory::pMultiArrayRunner, &Factory::pJoystickRunner,    &Factory::pMovieRunner,
    &Factory::pGrBufferRunner,  &Factory::pInternetRunner,
};

// Makers registered by the runners' own source files, possibly before main: a
// function-local table is ready whenever the first one arrives.
// The runners of the interpreter's own kinds are set here; the rest register
// themselves from their source files.
Factory::RunnerMaker* makers() {
    static Factory::RunnerMaker table[Factory::kSlotCount] = {};
    static const bool filled = [] {
        table[Factory::kBehaviour] = []() -> CMC_Runner* { return new CMC_Behaviour_Runner(); };
        table[Factory::kDummy] = []() -> CMC_Runner* { return new CMC_Dummy_Runner(); };
        table[Factory::kCondition] = []() -> CMC_Runner* { return new CMC_BasicCondition_Runner(); };
        return true;
    }();
    (void)filled;
    return table;
}

}  // namespace

bool CMC_RunnerFactory::registerRunner(Slot slot, RunnerMaker maker) {
    if (slot < 0 || slot >= kSlotCount) return false;
    makers()[slot] = maker;
    return true;
}

bool CMC_RunnerFactory::isRegistered(Slot slot) {
    return slot >= 0 && slot < kSlotCount && makers()[slot] != nullptr;
}

CMC_RunnerFactory::RunnerMaker CMC_RunnerFactory::getMaker(Slot slot) {
    return (slot >= 0 && slot < kSlotCount) ? makers()[slot] : nullptr;
}

void CMC_RunnerFactory::initialize() {
    for (int slot = 0; slot < kSlotCount; ++slot) {
        RunnerMaker maker = makers()[slot];
        // A runner already made stays: parsed statements hold it.
        if (!maker || *kMembers[slot]) continue;
        CMC_Runner* runner = maker();
        *kMembers[slot] = runner;
        if (runner) runner->prepareMthHashSet();
    }
}

void CMC_RunnerFactory::done() {
    for (int slot = 0; slot < kSlotCount; ++slot) {
        delete *kMembers[slot];
        *kMembers[slot] = nullptr;
    }
}

CMC_Runner* CMC_RunnerFactory::getSlot(Slot slot) {
    return (slot >= 0 && slot < kSlotCount) ? *kMembers[slot] : nullptr;
}

int CMC_RunnerFactory::slotOf(int type) {
    switch (type) {
    case 0: return kDummy;
    case 1: case 2: case 3: case 4: case 12: return kVariable;
    case 10: case 11: return kCondition;
    case 13: return kBehaviour;
    case 100: return kMouse;
    case 101: return kKeyboard;
    case 102: return kRand;
    case 103: return kCanvasObserver;
    case 1000: return kApp;
    case 1001: return kEpisode;
    case 1002: return kScene;
    case 2000: return kAnimo;
    case 2001: return kButton;
    case 2002: return kFont;
    case 2004: return kSequence;
    case 2005: return kSound;
    case 2006: return kText;
    case 2007: return kTimer;
    case 2008: return kImage;
    case 2009: return kEditBox;
    case 2011: return kNetServer;
    case 2012: return kNetClient;
    case 2013: return kDialog;
    case 2014: return kFilter;
    case 2015: return kStaticFilter;
    case 2016: return kVector;
    case 2017: return kPath;
    case 2018: case 2019: return kQuene;
    case 2020: return kCanvas;
    case 2021: return kPattern;
    case 2022: return kScroll;
    case 2023: return kJoystick;
    case 2024: return kMovie;
    case 2026: return kGrBuffer;
    case 2027: return kInternet;
    case 3000: return kGroup;
    case 3001: return kArray;
    case 3002: return kStructure;
    case 3003: return kDatabase;
    case 3004: return kClass;
    case 3005: return kVGO;
    case 3006: return kMultiArray;
    case 11000: return kSystem;
    case 12000: return kCNVLoader;
    default: return -1;
    }
}

CMC_Runner* CMC_RunnerFactory::getRunner(int type) {
    const int slot = slotOf(type);
    return slot < 0 ? nullptr : *kMembers[slot];
}
