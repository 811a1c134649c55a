// A font that holds several simple fonts told apart by family, style and size, and
// measures and draws with its base font. Texts switch fonts through it by family,
// style and size. The collection, its copies and the font's maker share the fonts.
#pragma once
#include <memory>
#include <vector>

#include "graphics/text/CSimpleFont6.h"

class CFontCollection : public CSimpleFont6 {
public:
    explicit CFontCollection(CWindow* window);
    // Copies share the fonts and the base font.
    CFontCollection(const CFontCollection& other) = default;
    CFontCollection& operator=(const CFontCollection& other) = default;
    ~CFontCollection() override;

    // Appends the font unless held already; the first one becomes the base font.
    void addFont(std::shared_ptr<CSimpleFont6> font);
    void setBaseFont(std::shared_ptr<CSimpleFont6> font) { m_base = std::move(font); }
    CSimpleFont6* getBaseFont() const { return m_base.get(); }
    // Null for none. The first font, in the order added, of the family and style (case ignored) and size.
    CSimpleFont6* get(CXString family, CXString style, int size) const;
    const std::vector<std::shared_ptr<CSimpleFont6>>& getFonts() const { return m_fonts; }

    void SetOpacity(uint8_t opacity) override;
    int Height() override;
    int drawLetter(int x, int y, char previous, char letter) override;
    int getLetterWidth(char previous, char letter) override;
    int getRealLetterWidth(char letter) override;
    void setColor(int color) override;
    bool isMultifont() override { return true; }

private:
    std::vector<std::shared_ptr<CSimpleFont6>> m_fonts;
    std::shared_ptr<CSimpleFont6> m_base;
};
