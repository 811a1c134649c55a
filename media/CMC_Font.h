// The FONT script type (2002): a named set of bitmap fonts that TEXT objects draw with.
// Every property DEF_FAMILY_STYLE_SIZE of its definition loads the font file its value
// names and labels it with that family, style and size; all of them join one font
// collection, the first being its base font. The fonts and the collection are shared
// with the texts that draw with them, so a text outlives its FONT object safely.
// A scene binary keeps the labels in the FONT's record and the font files beside the
// records (CMC_SceneBinary's supplements), so fonts read back load their letters.
#pragma once
#include <memory>
#include <vector>

#include "script/CMC_Object.h"

class CFontCollection;
class CMElement;
class CSimpleFont6;
class CXArchive;

class CMC_Font : public CMC_Object {
public:
    static constexpr int kType = 2002;
    // Fonts a scene binary may hold for one object.
    static constexpr uint32_t kMaxFonts = 256;

    // The prototype: no collection until a scene binary fills it.
    explicit CMC_Font(CMC_ObjectsContainer* container);
    CMC_Font(CMC_ObjectsContainer* container, CMElement* element);
    ~CMC_Font() override;
    CMC_Font(const CMC_Font&) = delete;
    CMC_Font& operator=(const CMC_Font&) = delete;

    CXString** getBehavioursList() override;
    void serialize(CXArchive* archive) override;

    const std::shared_ptr<CFontCollection>& getFont() const { return m_font; }
    const std::vector<std::shared_ptr<CSimpleFont6>>& getFontsList() const { return m_fonts; }
    // Adds a labelled font to the collection and the list.
    void addFont(std::shared_ptr<CSimpleFont6> font);
    // Loads the font files into the fonts of the list, in order; an empty name loads
    // nothing. The fonts keep their labels.
    void loadFontFiles(const std::vector<CXString>& files);

private:
    std::shared_ptr<CFontCollection> m_font;
    std::vector<std::shared_ptr<CSimpleFont6>> m_fonts;
};
