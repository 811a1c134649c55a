#include "shell/CCommandLine6.h"

#include "foundation/Crt.h"

namespace {

// White space in the C locale; bytes above 127 are ordinary characters.
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

}  // namespace

CCommandLine6::CCommandLine6(const char* commandLine) {
    tokenize(commandLine ? commandLine : "");
    parse();
}

CCommandLine6::CCommandLine6(int argc, const char* const* argv) {
    if (argv) {
        for (int i = 1; i < argc; ++i) m_tokens.emplace_back(argv[i]);
    }
    parse();
}

CCommandLine6::~CCommandLine6() = default;

void CCommandLine6::tokenize(const char* text) {
    const char* p = text;
    while (true) {
        while (*p && isBlank(*p)) ++p;
        if (!*p) return;
        const char* start;
        if (*p == '"') {
            start = ++p;
            while (*p && *p != '"') ++p;
            m_tokens.emplace_back(start, static_cast<int>(p - start));
            if (*p) ++p;  // past the closing quote
        } else {
            start = p;
            while (*p && !isBlank(*p)) ++p;
            m_tokens.emplace_back(start, static_cast<int>(p - start));
        }
    }
}

bool CCommandLine6::findToken(const CXString& word) const {
    const CXString dash = "-" + word;
    const CXString slash = "/" + word;
    for (const CXString& token : m_tokens) {
        if (token.equals(dash) || token.equals(slash)) return true;
    }
    return false;
}

int CCommandLine6::findValueIndex(const CXString& word) const {
    const CXString dash = "-" + word;
    const CXString slash = "/" + word;
    for (size_t i = 0; i < m_tokens.size(); ++i) {
        const CXString& token = m_tokens[i];
        if (token.equals(dash) || token.equals(slash) || token.equals(word)) return static_cast<int>(i);
    }
    return -1;
}

CXString CCommandLine6::getNextToken(const CXString& word) const {
    const int i = findValueIndex(word);
    return i < 0 ? CXString() : getToken(i + 1);
}

CXString CCommandLine6::getToken(int i) const {
    if (i < 0 || static_cast<size_t>(i) >= m_tokens.size()) return CXString();
    return m_tokens[static_cast<size_t>(i)];
}

void CCommandLine6::parse() {
    m_musicEnabled = !findToken("nomusic");
    m_soundEnabled = !findToken("nosound");
    m_windowMode = findToken("window");
    m_gfxFlag = findToken("nogfx");
    m_serverMode = findToken("server");
    m_clientMode = findToken("client");
    m_pageFlipping = findToken("pf");
    m_toCode = findToken("code");
    m_toDecode = findToken("decode");
    m_toRemove = findToken("remove");
    m_videoMemory = findToken("vmem");
    m_cheatMode = findToken("quorbliten") || findToken("cheat");
    m_toBinary = findToken("2bin");
    m_forceCNV = findToken("forceCNV");
    m_debugMode = findToken("debug");
    m_createBigFile = findToken("bigfile");
    m_log = findToken("log");
    m_runWithParams = findToken("params");
    m_noFrame = findToken("noframe");
    m_forceNew = findToken("forcenew");
    m_omitDir = findToken("omitdir");

    if (findToken("res")) {
        // The height is the token after the width's own position, so a width
        // that repeats an earlier token cannot pick up the wrong height.
        const int at = findValueIndex("res");
        const CXString width = getToken(at + 1);
        if (width.IsString()) {
            m_width = crt::atoi(width.c_str());
            const CXString height = getToken(at + 2);
            if (height.IsString()) m_height = crt::atoi(height.c_str());
        }
    }
    if (findToken("path")) m_path = getNextToken("path");
    if (findToken("game")) {
        m_path = getNextToken("game");
        m_game = m_path;
    }
    if (findToken("delay")) m_delay = crt::atoi(getNextToken("delay").c_str());
    if (findToken("pack")) {
        m_packDir = m_path;
        m_packFile = m_path + ".pik";
        if (findToken("file")) m_packFile = getNextToken("file");
    }
    if (findToken("player")) m_player = getNextToken("player");
    if (findToken("server")) m_server = getNextToken("server");
}

CXString CCommandLine6::getParameter(const CXString& word) const {
    return findToken(word) ? getNextToken(word) : CXString();
}

CXString CCommandLine6::getFullName() const {
    CXString name = getParameter("fullname");
    name.Replace('_', ' ');
    return name;
}

CXString CCommandLine6::getVersion() const { return getParameter("version"); }

CXString CCommandLine6::getDownloadedPIKFile() const { return getParameter("pikfile"); }
