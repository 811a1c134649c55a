#include "net/CMC_Internet.h"

#include "foundation/CXVector.h"
#include "net/CInternet.h"
#include "net/CSelfExtract.h"
#include "script/CMC_Integer.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_TypeTable.h"
#include "script/CMC_VariableFactory.h"
#include "script/CMElement.h"
#include "shell/CCommandLine6.h"
#include "shell/CWindow.h"

#include <algorithm>

namespace {

const bool registeredType = CMC_TypeTable::registerType(
    "INTERNET", [](CMC_ObjectsContainer* c, CMElement* e) -> CMC_Object* { return new CMC_Internet(c, e); });
const bool registeredRunner = CMC_RunnerFactory::registerRunner(
    CMC_RunnerFactory::kInternet, []() -> CMC_Runner* { return new CMC_Internet_Runner(); });

constexpr int kMaxSceneDepth = 64;

// The application, episode or scene whose step flushes the object's downloads.
CMC_ObjectsContainer* flushingSceneOf(CMC_ObjectsContainer* container) {
    for (int depth = 0; container && depth < kMaxSceneDepth; ++depth) {
        if (CMC_ObjectsContainer::isContainerType(container->getType())) return container;
        CMC_ObjectsContainer* next = container->getScene();
        if (next == container) break;
        container = next;
    }
    return container;
}

CXString unescape(CXString text) {
    return text.replace(CXString("&equals"), CXString("=")).replace(CXString("&slash"), CXString("/"));
}

}  // namespace

CMC_Internet::CMC_Internet(CMC_ObjectsContainer* container, CMElement* element)
    : CMC_Object(container, element, kType) {
    (void)registeredType;
    (void)registeredRunner;
    m_server = element ? element->getPropertyValue(CXString("SERVER")) : CXString();
    if (!m_server.IsString() && container) {
        if (CMC_Object* variable = container->getObject("VARSERVER")) m_server = variable->toString();
    }
    if (!m_server.IsString() && container && container->getWindow()) {
        if (CCommandLine6* commandLine = container->getWindow()->getCommandLineIfc())
            m_server = commandLine->getServer();
    }
    if (!m_server.IsString()) m_server = CCommandLine6::kDefaultServer;
    if (!m_server.startsWith(CXString("http://"))) m_server = CXString("http://") + m_server;
    m_internet = new CInternet(m_server);
    m_internet->registerListener(this);
    if (CMC_ObjectsContainer* scene = flushingSceneOf(container)) {
        m_downloadList = scene->getDownloadList();
        if (m_downloadList) m_downloadList->add(this);
    }
    initializeBehaviours(container, element);
}

CMC_Internet::~CMC_Internet() {
    leaveDownloadList();
    // Joins the worker before the listener part goes.
    delete m_internet;
    m_internet = nullptr;
}

void CMC_Internet::leaveDownloadList() {
    if (m_downloadList) m_downloadList->remove(static_cast<CXObject*>(static_cast<CMC_Object*>(this)));
    m_downloadList = nullptr;
}

void CMC_Internet::forgetDownloadList(CXVector* list) {
    if (list == m_downloadList) m_downloadList = nullptr;
}

void CMC_Internet::onDispose() {
    leaveDownloadList();
    if (m_internet) m_internet->stopDownload();
}

CXString** CMC_Internet::getBehavioursList() {
    return makeBehavioursList({"ONINIT", "ONDONE", "ONSIGNAL", "ONCONNECTED", "ONDOWNLOADED", "ONERROR"});
}

void CMC_Internet::onDownloadFinish() { m_downloadDone.store(true, std::memory_order_release); }

void CMC_Internet::onError(CXString message) {
    {
        std::lock_guard<std::mutex> lock(m_reportMutex);
        m_errorText = message;
    }
    m_downloadDone.store(true, std::memory_order_release);
}

void CMC_Internet::flushDownloadFinished() {
    if (!m_downloadDone.load(std::memory_order_acquire)) return;
    bool error;
    {
        std::lock_guard<std::mutex> lock(m_reportMutex);
        error = m_errorText.IsString();
        m_errorText = CXString();
        m_downloadDone.store(false, std::memory_order_release);
    }
    onSignal(CXString(error ? "ONERROR" : "ONDOWNLOADED"));
}

void CMC_Internet::get(CXString file, CXString target) {
    const CXString url = unescape(CXString("http://") + file);
    m_internet->GET(url, unescape(target));
}

bool CMC_Internet::extract(CXString archive, CXString folder) {
    CSelfExtract package(CXString("temp\\") + archive);
    return package.ReadTOC() && package.ExtractFiles(folder);
}

int32_t CMC_Internet::progressOf(int64_t received, int64_t length) {
    if (length <= 0 || received <= 0) return 0;
    // Lengths come from the server: the product stays in 64 bits for any file
    // below 2^56 bytes, and larger ones take the division first.
    const int64_t percent = received < (INT64_MAX / 100) ? received * 100 / length : received / (length / 100 + 1);
    return static_cast<int32_t>(std::clamp<int64_t>(percent, 0, 100));
}

int32_t CMC_Internet::getProgress() const {
    return progressOf(m_internet->getReceived(), m_internet->getContentLength());
}

void CMC_Internet_Runner::prepareMthHashSet() {
    CMC_Runner::prepareMthHashSet();
    putMethod("GET", kGet);
    putMethod("EXTRACT", kExtract);
    putMethod("GETPROGRESS", kGetProgress);
}

CMC_Variable* CMC_Internet_Runner::run(int id, CMC_Object* target, CMC_ObjectsContainer* container,
                                       CXVector* arguments) {
    auto* internet = dynamic_cast<CMC_Internet*>(target);
    if (!internet) return CMC_Runner::run(id, target, container, arguments);
    switch (id) {
    case kGet: {
        if (argumentCount(arguments) < 1) return nullptr;
        const CXString target = argumentCount(arguments) > 1 ? getParameterText(arguments, 1) : CXString();
        internet->get(getParameterText(arguments, 0), target);
        return nullptr;
    }
    case kExtract:
        if (argumentCount(arguments) < 2) return nullptr;
        CMC_Internet::extract(getParameterText(arguments, 0), getParameterText(arguments, 1));
        return nullptr;
    case kGetProgress:
        return CMC_VariableFactory::newInteger(internet->getProgress());
    default:
        return CMC_Runner::run(id, target, container, arguments);
    }
}
