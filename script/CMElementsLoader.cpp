#include "script/CMElementsLoader.h"

#include <string>
#include <unordered_map>

#include "foundation/CStringTokenizer.h"
#include "foundation/CTextCoder.h"
#include "foundation/CTextFileReader.h"
#include "script/CMElement.h"
#include "script/CScriptWindowServices.h"

namespace {

const CXString kSeparators(":=\n");

// The list being read, with an index by name so that every statement finds its
// element in constant time: a file of n objects reads in time linear in n. The
// index keeps the first element of a name, the one CMElements::get finds.
class ElementList {
public:
    explicit ElementList(CMElements* list) : m_list(list) {}

    CMElement* get(const CXString& name) const {
        const auto it = m_byName.find(key(name));
        return it == m_byName.end() ? nullptr : it->second;
    }
    bool contains(const CXString& name) const { return get(name) != nullptr; }
    void add(CMElement* element) {
        m_list->add(element);
        m_byName.emplace(key(element->getName()), element);
    }

private:
    static std::string key(const CXString& name) {
        return std::string(name.c_str(), static_cast<size_t>(name.getLength()));
    }

    CMElements* m_list;
    std::unordered_map<std::string, CMElement*> m_byName;
};

CXString trimmedBlanks(const CXString& text) {
    CXString copy = text;
    copy.AllTrim(' ');
    return copy;
}

// DEF:NAME(K=V|K=V): always a new element, appended after its properties. A
// line without "(" declares nothing; without a ")" after it the body runs to
// the end of the line; a part without "=" is a key with an empty value.
void readDefinition(const CXString& line, ElementList& list) {
    const int open = line.Find('(', 4);
    if (open < 0) return;
    const int close = line.FindLast(')');
    const CXString name = line.Mid(4, open);
    const CXString body = close > open ? line.Mid(open + 1, close) : line.Right(open + 1);

    auto* element = new CMElement(name);
    CStringTokenizer parts(body, CXString("|"));
    while (parts.hasMoreTokens()) {
        const CXString part = parts.nextToken();
        const int eq = part.Find('=');
        if (eq < 0) {
            const CXString key = trimmedBlanks(part);
            if (key.IsString()) element->addProperty(key, CXString());
            continue;
        }
        element->addProperty(trimmedBlanks(part.Left(eq)), trimmedBlanks(part.Right(eq + 1)));
    }
    list.add(element);
}

// One statement starting with the token first; true when the rest of the line
// holds a further statement (the "go on" case).
bool readStatement(const CXString& first, CStringTokenizer& tokens, ElementList& list) {
    if (first.equals("OBJECT")) {
        if (!tokens.hasMoreTokens()) return false;
        const CXString name = tokens.nextToken();
        if (list.contains(name)) return false;
        list.add(new CMElement(name));
        return true;
    }
    if (first.equals("IMPORT")) {
        if (!tokens.hasMoreTokens()) return false;
        const CXString name = tokens.nextToken();
        if (!list.contains(name)) {
            auto* element = new CMElement(name);
            element->addProperty("TYPE", "SEQUENCE");
            list.add(element);
        }
        return true;
    }

    CMElement* element = list.get(first);
    if (!element || !tokens.hasMoreTokens()) return false;
    const CXString key = tokens.nextToken();
    if (key.equals("ADD") || key.equals("APPLY")) {
        if (!tokens.hasMoreTokens()) return false;
        CMElement* other = list.get(tokens.nextToken());
        if (!other) return false;
        if (key.equals("ADD"))
            other->addChild(element);
        else
            element->addChild(other);
        return true;
    }
    if (!tokens.hasMoreTokens()) {
        element->addProperty(key);
        return false;
    }
    // The separators inside a value are lost; its pieces meet with one blank.
    CXString value = tokens.nextToken();
    while (tokens.hasMoreTokens()) {
        value += ' ';
        value += tokens.nextToken();
    }
    element->addProperty(key, value);
    return false;
}

}  // namespace

CMElements* CMElementsLoader::load(CWindow* window, const CXString& path) {
    auto* coder = new CTextCoder(window, path, false);
    if (CScriptWindowServices* services = CScriptWindowServices::of(window)) {
        if (CScriptCommandLine* commandLine = services->getCommandLineIfc()) {
            if (commandLine->isToCode()) CTextCoder::code(window, path, path + ".coded", kCodeCycle);
            if (commandLine->isToDecode()) CTextCoder::decode(window, path, path + ".decoded");
        }
    }
    CMElements* list = coder->LastError() == 0 ? load(coder) : nullptr;
    delete coder;
    return list;
}

CMElements* CMElementsLoader::load(CWindow* window, CTextFileReader* reader) {
    auto* coder = new CTextCoder(window, reader, false);
    CMElements* list = coder->LastError() == 0 ? load(coder) : nullptr;
    delete coder;
    return list;
}

CMElements* CMElementsLoader::load(CTextCoder* coder) {
    auto* list = new CMElements(true);
    if (!coder) return list;
    ElementList elements(list);
    bool stopped = false;
    while (!coder->_eof()) {
        const CXString line = getLine(coder);
        const char head = line.GetAt(0);
        if (head == '!') stopped = true;
        if (stopped || head == '#') continue;
        CStringTokenizer tokens(line, kSeparators);
        if (!tokens.hasMoreTokens()) continue;
        CXString first = tokens.nextToken();
        while (true) {
            // DEF always works on the whole line and ends it.
            if (first.equals("DEF")) {
                readDefinition(line, elements);
                break;
            }
            if (!readStatement(first, tokens, elements) || !tokens.hasMoreTokens()) break;
            first = tokens.nextToken();
        }
    }
    return list;
}

CXString CMElementsLoader::getLine(CTextCoder* coder) {
    // Built in a std::string so that a long run of continued lines stays linear.
    std::string text;
    bool continued;
    do {
        const CXString physical = coder->getLine();
        std::string piece;
        piece.reserve(static_cast<size_t>(physical.getLength()));
        for (const char* p = physical.c_str(); *p; ++p) {
            if (*p != '\t') piece += *p;
        }
        // A text held in memory may still carry CR LF line ends; they read
        // like the LF ones of a file opened in text mode.
        if (piece.size() >= 2 && piece[piece.size() - 2] == '\r' && piece.back() == '\n')
            piece.erase(piece.size() - 2, 1);
        continued = piece.find('/') != std::string::npos;
        // The coder ends every line with a line feed; short lines keep it,
        // which the tokenizer takes as a separator.
        if (piece.size() > 2) piece.pop_back();
        const bool wasEmpty = text.empty();
        text += piece;
        while (!text.empty() && text.back() == ' ') text.pop_back();
        if (wasEmpty) {
            const size_t start = text.find_first_not_of(' ');
            text.erase(0, start == std::string::npos ? text.size() : start);
        }
    } while (continued && !coder->_eof());

    std::string result;
    result.reserve(text.size());
    for (char c : text) {
        if (c != '/') result += c;
    }
    return CXString(result.c_str(), static_cast<int>(result.size()));
}

bool CMElementsLoader::save(const CXString&, CMElements*) { return false; }
