#include "media/CMC_Movie.h"

#include "graphics/play/CMoviePlayable.h"
#include "graphics/screen/CRefreshScreen.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_TypeTable.h"
#include "script/CMElement.h"
#include "shell/CWindow.h"

namespace {

CGraphicsObject* movieOf(CMC_Object* object, const CXString&) {
    auto* movie = dynamic_cast<CMC_Movie*>(object);
    return movie ? movie->getMovie() : nullptr;
}

const bool g_registered =
    CMC_TypeTable::registerType("MOVIE",
                                [](CMC_ObjectsContainer* c, CMElement* e) -> CMC_Object* { return new CMC_Movie(c, e); }) &&
    (CMC_ObjectsContainer::registerGraphicsAccessor(CMC_Movie::kType, &movieOf), true);

}  // namespace

CMC_Movie::CMC_Movie(CMC_ObjectsContainer* container, CMElement* element) : CMC_Object(container, element, kType) {
    (void)g_registered;
    const CXString fileName = element ? element->getPropertyValue(CXString("FILENAME")) : CXString();
    const int priority = element ? element->getPropertyIntValue(CXString("PRIORITY")) : 0;
    const CXPoint position = element ? element->getPropertyPointValue(CXString("POSITION")) : CXPoint(0, 0);
    CWindow* window = container ? container->getWindow() : nullptr;
    m_movie = fileName.getLength() > 0 ? new CMoviePlayable(window, fileName) : new CMoviePlayable(window);
    if (priority >= 0 && window)
        if (CRefreshScreen* screen = window->GetRefreshScreenInterface()) screen->put(m_movie, priority);
    m_movie->addNotifier(this);
    m_movie->SetPosition(position);
    initializeBehaviours(container, element);
}

CMC_Movie::~CMC_Movie() {
    if (!m_movie) return;
    m_movie->removeNotifier(this);
    if (CRefreshScreen* screen = m_movie->GetCanvas()) *screen >> m_movie;
    delete m_movie;
    m_movie = nullptr;
}

void CMC_Movie::onDispose() {
    if (!m_movie) return;
    m_movie->removeNotifier(this);
    m_movie->stop(false);
    if (CRefreshScreen* screen = m_movie->GetCanvas()) *screen >> m_movie;
}

CXString** CMC_Movie::getBehavioursList() {
    return makeBehavioursList({"ONINIT", "ONDONE", "ONSIGNAL", "ONSTARTED", "ONFINISHED", "ONFRAMEUPDATED"});
}

bool CMC_Movie::raise(int index, const char* event) {
    if (isEventHandled(index)) onSignal(CXString(event));
    return false;
}

bool CMC_Movie::onPlayableStarted(CPlayable*) { return raise(kOnStarted, "ONSTARTED"); }
bool CMC_Movie::onPlayableTick(CPlayable*) { return raise(kOnFrameUpdated, "ONFRAMEUPDATED"); }
bool CMC_Movie::onPlayableFinished(CPlayable*) { return raise(kOnFinished, "ONFINISHED"); }
