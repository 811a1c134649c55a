#include "media/sequence/CMultimediaSequenceCreator.h"

#include <string>

#include "foundation/CFile.h"
#include "foundation/CPath.h"
#include "foundation/CStringTokenizer.h"
#include "graphics/play/CMElementCreator.h"
#include "graphics/play/CPlayable.h"
#include "media/sequence/CTreeSequenceElements.h"
#include "script/CMElement.h"
#include "script/CMElements.h"

namespace {

// The line's tokens; missing ones read as empty.
class Tokens {
public:
    explicit Tokens(const CXString& line) {
        CStringTokenizer tokenizer(line, CXString(" =\n:"));
        while (tokenizer.hasMoreTokens()) m_tokens.push_back(tokenizer.nextToken());
    }
    bool has(size_t i) const { return i < m_tokens.size(); }
    CXString operator[](size_t i) const { return has(i) ? m_tokens[i] : CXString(); }

private:
    std::vector<CXString> m_tokens;
};

// "TRUE" 1, "FALSE" 0, anything else -1.
int truth(const CXString& value) {
    if (value.equals("TRUE")) return 1;
    if (value.equals("FALSE")) return 0;
    return -1;
}

void applyKey(CTreeSequenceElements& tree, const CXString& name, const Tokens& tokens, size_t at,
              CPlayableObserver* observer) {
    const CXString key = tokens[at];
    const CXString value = tokens[at + 1];
    if (key.equals("TYPE")) {
        // An element keeps the type its playable was made as: a later TYPE line would
        // let a link take it for another kind (a speaking animation for a sequence).
        _tse_entry* entry = tree.find(name);
        if (!entry || entry->playable) return;
        tree.setType(name, value);
        tree.create(entry, observer);
        if (entry->playable) entry->playable->setName(name);
    } else if (key.equals("FILENAME")) {
        tree.setFileName(name, value);
    } else if (key.equals("EVENT")) {
        tree.setEvent(name, value);
    } else if (key.equals("SHOW")) {
        tree.show(name);
    } else if (key.equals("HIDE")) {
        tree.hide(name);
    } else if (key.equals("MODE")) {
        tree.setMode(name, value);
    } else if (key.equals("SEQEVENT")) {
        tree.addSequenceEvent(name, value, tokens[at + 2]);
    } else if (key.equals("ANIMOFN")) {
        tree.setAnimoFN(name, value);
    } else if (key.equals("WAVFN")) {
        tree.setWAVFN(name, value);
    } else if (key.equals("STARTING")) {
        if (truth(value) >= 0) tree.setStarting(name, truth(value) == 1);
    } else if (key.equals("ENDING")) {
        if (truth(value) >= 0) tree.setEnding(name, truth(value) == 1);
    } else if (key.equals("PREFIX")) {
        tree.setPrefix(name, value);
    } else if (key.equals("ADD")) {
        tree.add(name, tokens.has(at + 1) ? value : CXString("ROOT"));
    } else if (key.equals("WAIT")) {
        if (truth(value) >= 0) tree.setWaitMode(name, truth(value) == 1);
    }
    // "SEQUENCE" and unknown keys: nothing.
}

// `left` counts the playables still allowed: a child listed many times at many levels
// would otherwise make exponentially many within the depth cap.
CPlayable* createAt(CWindow* window, CMElements* elements, const CXString& name, int depth, int& left) {
    if (!elements || depth > CMultimediaSequenceCreator::kMaxCreateDepth || left <= 0) return nullptr;
    CMElement* element = elements->get(name);
    if (!element) return nullptr;
    CPlayable* playable = CMElementCreator::createPlayable(window, element);
    if (!playable) return nullptr;
    --left;
    if (CMElements* children = element->getChildren()) {
        for (int i = 0; i < children->getCount(); ++i) {
            CMElement* child = children->getAt(i);
            if (!child) continue;
            CPlayable* made = createAt(window, elements, child->getName(), depth + 1, left);
            if (!made) continue;
            made->addParent();
            playable->addChild(made);
        }
    }
    playable->setName(name);
    return playable;
}

}  // namespace

CMultimediaSequenceCreator::CMultimediaSequenceCreator(CWindow* window, CXString fileName,
                                                       CResourcesManager* resources, CPlayableObserver* observer,
                                                       bool keepPlayable)
    : m_keepPlayable(keepPlayable) {
    Made made;
    m_playable = load(window, fileName, resources, observer, &made);
    m_rootShared = made.rootShared;
}

CMultimediaSequenceCreator::~CMultimediaSequenceCreator() {
    if (!m_keepPlayable && !m_rootShared) delete m_playable;
}

CPlayable* CMultimediaSequenceCreator::load(CWindow* window, CXString fileName, CResourcesManager* resources,
                                            CPlayableObserver* observer, Made* made) {
    CFileNameResolver resolver(fileName);
    CTreeSequenceElements tree(window, resources);
    const CXString rootName = resolver.getPureFileName();
    tree.setRootName(rootName);
    {
        CFile file(window, fileName, CFile::kReadText);
        if (file.LastError() == 0) {
            while (!file.eof()) {
                CXString line = file.getLine();
                int length = line.getLength();
                while (length > 0 && (line.c_str()[length - 1] == '\n' || line.c_str()[length - 1] == '\r')) --length;
                if (length == 0) continue;
                line = line.Left(length);
                if (line.c_str()[0] == '#') continue;
                const Tokens tokens(line);
                const CXString first = tokens[0];
                size_t at = 1;
                if (first.equals("NAME")) {
                    const CXString name = tokens[1];
                    if (name.getLength() > 0 && !tree.contains(name)) tree.add(name);
                    at = 2;
                }
                if (tree.contains(first)) applyKey(tree, first, tokens, at, observer);
            }
            file.Close();
        }
    }

    _tse_entry* rootEntry = tree.find(rootName);
    CPlayable* root = rootEntry ? rootEntry->playable : nullptr;
    if (root) root->setFilename(fileName);
    if (made) {
        made->rootShared = root && !rootEntry->owned;
        for (int i = 0; i < tree.getCount(); ++i)
            if (CPlayable* p = tree.at(i)->playable) made->playables.emplace_back(p, p->aliveFlag());
    }

    // What the tree made and no parent holds goes with the root (at once without one);
    // sounds last, since the sequences holding them ask them for their counts first.
    std::vector<CPlayable*> loose;
    std::vector<CPlayable*> sounds;
    for (int i = 0; i < tree.getCount(); ++i) {
        _tse_entry* entry = tree.at(i);
        if (!entry->owned || !entry->playable || entry == rootEntry) continue;
        if (entry->playable->getType() == 1)
            sounds.push_back(entry->playable);
        else if (entry->parents.empty())
            loose.push_back(entry->playable);
    }
    loose.insert(loose.end(), sounds.begin(), sounds.end());
    for (CPlayable* p : loose) {
        if (root)
            root->adopt(p);
        else
            delete p;
    }
    return root;
}

CPlayable* CMultimediaSequenceCreator::create(CWindow* window, CMElements* elements, CXString name) {
    int left = kMaxCreated;
    return createAt(window, elements, name, 0, left);
}

bool CMultimediaSequenceCreator::save(CPlayable*, CXString) { return false; }

char CMultimediaSequenceCreator::getParameter(int n) {
    uint8_t code;
    if (n <= 8)
        code = static_cast<uint8_t>('1' + n);
    else if (n <= 33)
        code = static_cast<uint8_t>('A' + (n - 9));
    else
        code = static_cast<uint8_t>('a' + (n - 34));
    return static_cast<char>(code);
}
