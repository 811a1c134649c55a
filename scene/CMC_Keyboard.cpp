#include "scene/CMC_Keyboard.h"

#include "scene/CMC_Scene.h"
#include "scene/CMC_SceneBinary.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_TypeTable.h"
#include "shell/CWindow.h"

namespace {

const bool g_registered =
    CMC_TypeTable::registerType("KEYBOARD", [](CMC_ObjectsContainer* container, CMElement* element) -> CMC_Object* {
        return new CMC_Keyboard(container, element);
    }) &&
    CMC_SceneBinary::registerPrototype(CMC_Keyboard::kType,
                                       [](CMC_Scene* scene) -> CMC_Object* { return new CMC_Keyboard(scene); });

// Names by scan code, 0x00 to 0xD3; null for codes without a name.
const char* const* nameTable() {
    static const char* table[0xD4] = {};
    static const bool filled = [] {
        const char* const digits[] = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "0"};
        for (int i = 0; i < 10; ++i) table[0x02 + i] = digits[i];
        const char* const row1[] = {"Q", "W", "E", "R", "T", "Y", "U", "I", "O", "P"};
        for (int i = 0; i < 10; ++i) table[0x10 + i] = row1[i];
        const char* const row2[] = {"A", "S", "D", "F", "G", "H", "J", "K", "L"};
        for (int i = 0; i < 9; ++i) table[0x1E + i] = row2[i];
        const char* const row3[] = {"Z", "X", "C", "V", "B", "N", "M"};
        for (int i = 0; i < 7; ++i) table[0x2C + i] = row3[i];
        const char* const fkeys[] = {"F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10"};
        for (int i = 0; i < 10; ++i) table[0x3B + i] = fkeys[i];
        table[0x01] = "ESC";
        table[0x0F] = "TAB";
        table[0x1C] = "ENTER";
        table[0x1D] = "LCTRL";
        table[0x2A] = "LSHIFT";
        table[0x36] = "RSHIFT";
        table[0x38] = "LALT";
        table[0x39] = "SPACE";
        table[0x3A] = "CAPSLOCK";
        table[0x47] = "7";
        table[0x48] = "8";
        table[0x49] = "9";
        table[0x4B] = "4";
        table[0x4C] = "5";
        table[0x4D] = "6";
        table[0x4F] = "1";
        table[0x50] = "2";
        table[0x51] = "3";
        table[0x52] = "0";
        table[0x57] = "F11";
        table[0x58] = "F12";
        table[0x9D] = "RCTRL";
        table[0xB8] = "RALT";
        table[0xC7] = "HOME";
        table[0xC8] = "UP";
        table[0xC9] = "PGUP";
        table[0xCB] = "LEFT";
        table[0xCD] = "RIGHT";
        table[0xCF] = "END";
        table[0xD0] = "DOWN";
        table[0xD1] = "PGDN";
        table[0xD2] = "INSERT";
        table[0xD3] = "DELETE";
        return true;
    }();
    (void)filled;
    return table;
}

} // namespace

CMC_Keyboard::CMC_Keyboard(CMC_ObjectsContainer* container, CMElement* element)
    : CMC_Object(container, element, kType) {
    (void)g_registered;
    setUp();
    initializeBehaviours(container, element);
}

CMC_Keyboard::CMC_Keyboard(CMC_ObjectsContainer* container) : CMC_Object(CXString("KEYBOARD"), kType) {
    setScene(container);
    setUp();
}

void CMC_Keyboard::setUp() {
    setName(CXString("KEYBOARD"));
    overideSignals(false);
    CMC_ObjectsContainer* container = getScene();
    m_window = container ? container->getWindow() : nullptr;
    if (m_window) m_window->registerKeyListener(this);
}

CMC_Keyboard::~CMC_Keyboard() {
    if (m_window) m_window->removeKeyListener(this);
}

void CMC_Keyboard::onDispose() {
    if (m_window) m_window->removeKeyListener(this);
}

CXString** CMC_Keyboard::getBehavioursList() {
    return makeBehavioursList({"ONINIT", "ONDONE", "ONSIGNAL", "ONCHAR", "ONKEYDOWN", "ONKEYUP"});
}

CXString CMC_Keyboard::getKeySignal(int code) {
    if (code < 0 || code >= 0xD4) return CXString();
    const char* name = nameTable()[code];
    return name ? CXString(name) : CXString();
}

void CMC_Keyboard::onKeyDown(int code) {
    if (!m_enabled) return;
    const CXString name = getKeySignal(code);
    if (name.getLength() > 0) {
        m_latestKeys.push_back(name);
        if (m_latestKeys.size() > kMaxLatestKeys) m_latestKeys.pop_front();
    }
    if (!isEventHandled(kOnKeyDown)) return;
    m_latestKey = name;
    if (name.getLength() > 0)
        onSignal(CXString("ONKEYDOWN"), name);
    else
        onSignal(CXString("ONKEYDOWN"));
}

void CMC_Keyboard::onKeyUp(int code) {
    if (!m_enabled || !isEventHandled(kOnKeyUp)) return;
    const CXString name = getKeySignal(code);
    m_latestKey = name;
    if (name.getLength() > 0)
        onSignal(CXString("ONKEYUP"), name);
    else
        onSignal(CXString("ONKEYUP"));
}

void CMC_Keyboard::onChar(unsigned char c) {
    if (!m_enabled || !isEventHandled(kOnChar)) return;
    const char text[2] = {static_cast<char>(c), 0};
    m_latestKey = CXString(text);
    onSignal(CXString("ONCHAR"), m_latestKey);
}
