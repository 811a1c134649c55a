#include "media/CMC_Font.h"

#include "foundation/CStringTokenizer.h"
#include "foundation/CXArchive.h"
#include "graphics/text/CFontCollection.h"
#include "graphics/text/CSimpleFont6.h"
#include "scene/CMC_Scene.h"
#include "scene/CMC_SceneBinary.h"
#include "script/CMC_Dummy_Runner.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_TypeTable.h"
#include "script/CMElement.h"
#include "script/CMProperties.h"
#include "script/CMProperty.h"

namespace {

const bool g_registered =
    CMC_TypeTable::registerType("FONT",
                                [](CMC_ObjectsContainer* c, CMElement* e) -> CMC_Object* { return new CMC_Font(c, e); });
// CREATE makes the type only where the built-in statements know it.
const bool g_creator = CMC_Dummy_Runner::registerCreator("FONT", [](CMC_ObjectsContainer* c) -> CMC_Object* { return new CMC_Font(c); });
const bool g_prototype = CMC_SceneBinary::registerPrototype(CMC_Font::kType,
                                       [](CMC_Scene* scene) -> CMC_Object* { return new CMC_Font(scene); });

CWindow* windowOf(CMC_ObjectsContainer* container) { return container ? container->getWindow() : nullptr; }

// The record keeps only the fonts' labels; the font files go beside it, so a FONT read
// back loads its letters as its definition did.
std::vector<CXString> fontFilesOf(CMC_Object* object) {
    auto* font = dynamic_cast<CMC_Font*>(object);
    std::vector<CXString> files;
    bool any = false;
    for (const auto& f : font ? font->getFontsList() : std::vector<std::shared_ptr<CSimpleFont6>>()) {
        files.push_back(f->getFileName());
        any = any || f->getFileName().IsString();
    }
    return any ? files : std::vector<CXString>();
}

void loadFontFiles(CMC_Object* object, const std::vector<CXString>& files) {
    if (auto* font = dynamic_cast<CMC_Font*>(object)) font->loadFontFiles(files);
}

const bool g_supplement = CMC_SceneBinary::registerSupplement(CMC_Font::kType, &fontFilesOf, &loadFontFiles);

}  // namespace

CMC_Font::CMC_Font(CMC_ObjectsContainer* container) : CMC_Object(CXString(""), kType) {
    (void)g_registered;
    (void)g_creator;
    (void)g_prototype;
    (void)g_supplement;
    setScene(container);
}

CMC_Font::CMC_Font(CMC_ObjectsContainer* container, CMElement* element)
    : CMC_Object(container, element, kType), m_font(std::make_shared<CFontCollection>(windowOf(container))) {
    CMProperties* properties = element ? element->getProperties() : nullptr;
    for (int i = 0; properties && i < properties->getCount(); ++i) {
        CMProperty* property = properties->getAt(i);
        if (!property || !property->getName().startsWith(CXString("DEF_"))) continue;
        CStringTokenizer tokens(property->getName(), CXString("_"));
        tokens.nextToken();  // DEF
        const CXString family = tokens.nextToken();
        const CXString style = tokens.nextToken();
        const int size = tokens.nextToken().toNumber();
        auto font = std::make_shared<CSimpleFont6>(windowOf(container), property->getValue());
        font->setFamily(family);
        font->setStyle(style);
        font->setSize(size);
        addFont(std::move(font));
    }
    initializeBehaviours(container, element);
}

CMC_Font::~CMC_Font() = default;

void CMC_Font::addFont(std::shared_ptr<CSimpleFont6> font) {
    if (!m_font) m_font = std::make_shared<CFontCollection>(windowOf(getScene()));
    m_font->addFont(font);
    m_fonts.push_back(std::move(font));
}

void CMC_Font::loadFontFiles(const std::vector<CXString>& files) {
    for (size_t i = 0; i < files.size() && i < m_fonts.size(); ++i)
        if (files[i].IsString()) m_fonts[i]->Load(files[i]);
}

CXString** CMC_Font::getBehavioursList() { return makeBehavioursList({"ONINIT", "ONDONE", "ONSIGNAL"}); }

void CMC_Font::serialize(CXArchive* archive) {
    CMC_Object::serialize(archive);
    if (archive->isStoring()) {
        *archive << static_cast<uint32_t>(m_fonts.size());
        for (const auto& font : m_fonts) {
            *archive << font->getFamily();
            *archive << font->getStyle();
            *archive << font->getSize();
        }
        return;
    }
    uint32_t count = 0;
    *archive >> &count;
    CWindow* window = windowOf(getScene());
    m_font = std::make_shared<CFontCollection>(window);
    m_fonts.clear();
    for (uint32_t i = 0; i < count && i < kMaxFonts; ++i) {
        CXString family;
        CXString style;
        int size = 0;
        *archive >> &family;
        *archive >> &style;
        *archive >> &size;
        auto font = std::make_shared<CSimpleFont6>(window);
        font->setFamily(family);
        font->setStyle(style);
        font->setSize(size);
        addFont(std::move(font));
    }
}
