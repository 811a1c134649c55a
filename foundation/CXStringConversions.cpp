// The conversions of CXString that split the text with the tokenizer.
#include "foundation/CStringTokenizer.h"
#include "foundation/CXArray.h"
#include "foundation/CXPoint.h"
#include "foundation/CXRect.h"
#include "foundation/CXString.h"
#include "foundation/Crt.h"

namespace {
const char kGeometrySeparators[] = ".|, ";

// Fills `values` from the first tokens of `text` through atoi; missing ones stay 0.
template <int N>
void readNumbers(const CXString& text, int (&values)[N]) {
    CStringTokenizer tokens(text, CXString(kGeometrySeparators));
    for (int i = 0; i < N && tokens.hasMoreTokens(); ++i) values[i] = crt::atoi(tokens.nextToken().c_str());
}
} // namespace

CXPoint CXString::toPoint() const {
    int v[2] = {0, 0};
    readNumbers(*this, v);
    return CXPoint(v[0], v[1]);
}

CXRect CXString::toRect() const {
    int v[4] = {0, 0, 0, 0};
    readNumbers(*this, v);
    return CXRect(v[0], v[1], v[2], v[3]);
}

CXArray* CXString::toVector() const { return toVector(CXString(", \n\r")); }

CXArray* CXString::toVector(const CXString& separators) const {
    auto* items = new CXArray(CXArray::kDefaultCapacity, CXArray::kDefaultLoadFactor);
    CStringTokenizer tokens(*this, separators);
    while (tokens.hasMoreTokens()) items->add(new CXString(tokens.nextToken()));
    return items;
}

void CXString::releaseToVector(CXArray* vector) {
    if (!vector) return;
    for (int i = 0; i < vector->getCount(); ++i) delete vector->stringAt(i);
    vector->removeAll();
    delete vector;
}

CXString CXString::getWord(int n) const {
    if (n < 0) return CXString();
    CStringTokenizer tokens(*this, CXString(" \n\t"));
    for (int i = 0; i < n && tokens.hasMoreTokens(); ++i) tokens.nextToken();
    return tokens.nextToken();
}
