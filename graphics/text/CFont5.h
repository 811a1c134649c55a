// The simplest bitmap font: an animation whose frames are the letters and an alphabet
// saying which frame draws which character (the first occurrence wins). Copies share
// the animation.
#pragma once
#include <memory>

#include "foundation/CXObject.h"
#include "foundation/CXPoint.h"
#include "foundation/CXSize.h"
#include "foundation/CXString.h"

class CAnimo;
class CGraphicsObject;
class CMElement;
class CWindow;

class CFont5 : public CXObject {
public:
    explicit CFont5(CWindow* window);
    CFont5(CWindow* window, CXString name);
    // The element's FILENAME.
    CFont5(CWindow* window, CMElement* element);
    CFont5(const CFont5&) = default;
    CFont5& operator=(const CFont5&) = default;
    ~CFont5() override;

    // Loads the animation and reads the alphabet from its first event's frame names;
    // false when the file was not read.
    bool load(CXString name);
    CXSize getLetterSize(char c);
    int getLetterWidth(char c);
    int getLetterHeight(char c);
    int getAlphabetHeight();
    // A space counts the width of "A"; other characters their width plus the spacing.
    int getLengthInPixels(CXString text, int spacing);
    void setDestiny(CGraphicsObject* destiny) { m_destiny = destiny; }
    // Draws the letter onto the destination; its width, 0 when it has no glyph.
    int drawLetter(CXPoint p, char c);
    int drawLetter(int x, int y, char c) { return drawLetter(CXPoint(x, y), c); }
    CXString getAlphabet() const { return m_alphabet; }
    CXString getFileName() const { return m_fileName; }

private:
    // The frame index of the character, or -1.
    int frameOf(char c);

    CWindow* m_window = nullptr;
    CXString m_fileName;
    CXString m_alphabet;
    std::shared_ptr<CAnimo> m_animation;
    CGraphicsObject* m_destiny = nullptr;
};
