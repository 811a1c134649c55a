#include "script/CMC_Variable.h"

#include "foundation/ByteOrder.h"
#include "foundation/CConfig.h"
#include "foundation/CXArchive.h"
#include "foundation/Crt.h"
#include "script/CMC_Bool.h"
#include "script/CMC_Double.h"
#include "script/CMC_Integer.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_String.h"
#include "script/CMC_VariableFactory.h"
#include "script/CMElement.h"
#include "script/CScriptWindowServices.h"

namespace {
// Nesting of change steps on this thread (a handler assigning a variable runs
// the change step again inside the first one).
thread_local int t_changeDepth = 0;
} // namespace

CMC_Variable::CMC_Variable(CXString name, int type) : CMC_Object(name, type) {}

CMC_Variable::CMC_Variable(CXString name, int type, int poolIndex)
    : CMC_Object(name, type), m_poolIndex(poolIndex) {}

CMC_Variable::CMC_Variable(CMC_ObjectsContainer* container, CMElement* element, int type)
    : CMC_Object(container, element, type) {
    if (element) {
        m_toIni = element->getPropertyBoolValue(CXString("TOINI"));
        // A TOINI variable always tells the network peers.
        m_netNotify = m_toIni || element->getPropertyBoolValue(CXString("NETNOTIFY"));
    }
    initializeBehaviours(container, element);
}

CMC_Variable::~CMC_Variable() = default;

int CMC_Variable::compare(CXObject* other) {
    if (auto* variable = dynamic_cast<CMC_Variable*>(other)) return compare(variable);
    return CMC_Object::compare(other);
}

void CMC_Variable::init() {
    if (m_toIni) {
        CConfig* config = getConfig();
        if (config) {
            CXString section = getIniSection();
            CXString key = getName();
            CXString text = config->GetString(section, key);
            if (text.IsString()) {
                CMC_String* stored = CMC_VariableFactory::allocString();
                stored->setValue(text);
                set(stored);
                CMC_Object::flush(stored);
            } else {
                // First start: the settings get the initial value.
                config->PutString(section, key, toString());
            }
        }
    }
    CMC_Object::init();
}

CXString** CMC_Variable::getBehavioursList() {
    return makeBehavioursList({"ONINIT", "ONDONE", "ONSIGNAL", "ONCHANGED", "ONBRUTALCHANGED", "ONNETCHANGE"});
}

void CMC_Variable::serialize(CXArchive* archive) {
    CMC_Object::serialize(archive);
    if (archive->isStoring()) {
        *archive << m_toIni;
        *archive << m_netNotify;
    } else {
        *archive >> &m_toIni;
        *archive >> &m_netNotify;
    }
}

void CMC_Variable::set(CMC_Variable*) {}

void CMC_Variable::fromString(CXString) {}

void CMC_Variable::onChange(bool changed) {
    bool brutal = isEventHandled(kBrutalChangedEventIndex);
    bool plain = isEventHandled(kChangedEventIndex);
    if ((brutal || plain) && t_changeDepth < kMaxChangeDepth) {
        ++t_changeDepth;
        if (brutal) raiseWithValue("ONBRUTALCHANGED");
        if (changed && plain) raiseWithValue("ONCHANGED");
        --t_changeDepth;
    }
    if (!changed) return;
    if (m_toIni) {
        if (CConfig* config = getConfig()) config->PutString(getIniSection(), getName(), toString());
    }
    if (m_netNotify) sendToNetwork();
}

void CMC_Variable::onNetChange(CMC_Variable* incoming) {
    if (isEventHandled(kNetChangeEventIndex)) onSignal(CXString("ONNETCHANGE"));
    // The change step runs, but nothing goes back to the network.
    bool notify = m_netNotify;
    m_netNotify = false;
    set(incoming);
    m_netNotify = notify;
}

void CMC_Variable::raiseWithValue(const char* event) {
    CXString name(event);
    if (!onSignal(name + "^" + toString())) onSignal(name);
}

CConfig* CMC_Variable::getConfig() {
    CMC_ObjectsContainer* scene = getScene();
    CScriptWindowServices* window = CScriptWindowServices::of(scene ? scene->getWindow() : nullptr);
    return window ? window->getConfig() : nullptr;
}

CXString CMC_Variable::getIniSection() {
    CMC_ObjectsContainer* scene = getScene();
    return scene ? scene->getName() : CXString();
}

void CMC_Variable::sendToNetwork() {
    CMC_ObjectsContainer* scene = getScene();
    if (!scene) return;
    auto* server = dynamic_cast<CMC_VariableSender*>(scene->getObject(CXString("NETSERVER")));
    if (server && server->canSendVariables()) {
        server->sendVar(CXString(), this);
        return;
    }
    auto* client = dynamic_cast<CMC_VariableSender*>(scene->getObject(CXString("NETCLIENT")));
    if (client && client->canSendVariables()) client->sendVar(CXString(), this);
}

CMC_Variable* CMC_Variable::basicValue(CXObject* object) {
    if (!object) return nullptr;
    const std::type_info* type = &typeid(*object);
    if (type == &typeid(CMC_Integer)) return static_cast<CMC_Integer*>(object);
    if (type == &typeid(CMC_String)) return static_cast<CMC_String*>(object);
    if (type == &typeid(CMC_Bool)) return static_cast<CMC_Bool*>(object);
    if (type == &typeid(CMC_Double)) return static_cast<CMC_Double*>(object);
    return nullptr;
}

bool CMC_Variable::isNumber(const CXString& text) {
    int length = text.getLength();
    if (length == 0) return false;
    const char* s = text.c_str();
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    if (s[0] != '-' && !isDigit(s[0])) return false;
    if (length > 1 && s[0] == '0' && s[1] != '.') return false;
    for (int i = 1; i < length; ++i) {
        if (!isDigit(s[i]) && s[i] != '.') return false;
    }
    return true;
}

CMC_Variable* CMC_Variable::resolve(const CXString& text) {
    if (text.GetAt(0) == '"') {
        CXString inner = text.Right(1);
        if (inner.IsString() && inner.lastChar() == '"') inner = inner.Left(inner.getLength() - 1);
        return CMC_VariableFactory::newString(inner);
    }
    if (isNumber(text)) {
        if (text.Find('.') >= 0) {
            return CMC_VariableFactory::newDouble(crt::atof(text.c_str()));
        }
        return CMC_VariableFactory::newInteger(crt::atoi(text.c_str()));
    }
    if (text == "TRUE" || text == "FALSE") {
        return CMC_VariableFactory::newBool(text == "TRUE");
    }
    // Also the empty text: an empty STRING.
    return CMC_VariableFactory::newString(text);
}

void CMC_Variable::putInt32(void* buffer, int offset, int32_t value) {
    byteorder::writeLE32(static_cast<unsigned char*>(buffer) + offset, static_cast<uint32_t>(value));
}

int32_t CMC_Variable::getInt32(const void* buffer, int offset) {
    return static_cast<int32_t>(byteorder::readLE32(static_cast<const unsigned char*>(buffer) + offset));
}
