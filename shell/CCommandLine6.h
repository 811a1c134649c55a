// The parsed command line of the process. Options are words written as "-word"
// or "/word" (case matters); valued options take the token that follows. All
// options are evaluated once, at construction; unknown tokens are ignored.
#pragma once
#include <cstdint>
#include <vector>

#include "foundation/CXSize.h"
#include "foundation/CXString.h"
#include "script/CScriptWindowServices.h"

class CCommandLine6 : public CScriptCommandLine {
public:
    // The server address used when "server" does not name one.
    static constexpr const char* kDefaultServer = "127.0.0.1";

    // From the raw command-line text (without the program name): tokens are
    // split at white space, and a double-quoted stretch is one token without
    // its quotes. Null is taken as the empty text.
    explicit CCommandLine6(const char* commandLine);
    // From a program's arguments: argv[1] .. argv[argc - 1] are the tokens as
    // they stand (the shell has already removed the quotes).
    CCommandLine6(int argc, const char* const* argv);
    CCommandLine6(const CCommandLine6&) = default;
    CCommandLine6& operator=(const CCommandLine6&) = default;
    ~CCommandLine6();

    // Whether some token is "-word" or "/word".
    bool findToken(const CXString& word) const;
    // The token after the first one that is "-word", "/word" or the bare word;
    // empty when none matches or the match is the last token.
    CXString getNextToken(const CXString& word) const;
    // Re-evaluates every option from the tokens.
    void parse();

    bool isParameter(const CXString& word) const { return findToken(word); }
    // The token after "-word" when the option is present, else empty.
    CXString getParameter(const CXString& word) const;
    // The "fullname" parameter with every "_" turned into a blank.
    CXString getFullName() const;
    CXString getVersion() const;
    CXString getDownloadedPIKFile() const;

    void setPath(const CXString& path) { m_path = path; }
    void runInWindow(bool window) { m_windowMode = window; }
    void setAsWindow(bool window) { m_windowMode = window; }
    void setAsShowDbg(bool debug) { m_debugMode = debug; }

    CXSize getResolution() const { return CXSize(m_width, m_height); }
    CXString getPath() const { return m_path; }
    CXString getPackDir() const { return m_packDir; }
    CXString getPackFile() const { return m_packFile; }
    CXString getPlayer() const { return m_player; }
    CXString getServer() const { return m_server; }
    int32_t getDelay() const { return m_delay; }
    int32_t getNoArgs() const { return static_cast<int32_t>(m_tokens.size()); }
    // The token at i (0..getNoArgs()-1), else empty.
    CXString getToken(int i) const;

    bool isMusicEnabled() const { return m_musicEnabled; }
    bool isSoundEnabled() const { return m_soundEnabled; }
    bool isWindowMode() const { return m_windowMode; }
    bool isRunWithParams() const { return m_runWithParams; }
    // True exactly when "nogfx" was given (the name is historical).
    bool isGFXEnabled() const { return m_gfxFlag; }
    bool isServer() const { return m_serverMode; }
    bool isClient() const { return m_clientMode; }
    bool isToCode() const override { return m_toCode; }
    bool isToDecode() const override { return m_toDecode; }
    bool isToRemove() const { return m_toRemove; }
    bool isPageFlippingEnabled() const { return m_pageFlipping; }
    bool isVMem() const { return m_videoMemory; }
    bool isCheatMode() const { return m_cheatMode; }
    bool is2Bin() const { return m_toBinary; }
    bool isForceCNV() const { return m_forceCNV; }
    bool isDebugMode() const { return m_debugMode; }
    bool isCreateBigFile() const { return m_createBigFile; }
    bool isLogEnabled() const { return m_log; }
    bool isForceNew() const { return m_forceNew; }
    bool isOmitDir() const { return m_omitDir; }
    bool isNoFrame() const { return m_noFrame; }

    bool isSecondaryDisplayEnabled() const { return m_delay > 0; }
    bool isGame() const { return m_game.IsString(); }
    bool isToPack() const { return m_packDir.IsString(); }

private:
    void tokenize(const char* text);
    // Index of the first token matching word as getNextToken does, or -1.
    int findValueIndex(const CXString& word) const;

    std::vector<CXString> m_tokens;
    int32_t m_width = 800;
    int32_t m_height = 600;
    bool m_musicEnabled = true;
    bool m_soundEnabled = true;
    bool m_windowMode = false;
    bool m_runWithParams = false;
    bool m_gfxFlag = false;
    bool m_serverMode = false;
    bool m_clientMode = false;
    bool m_toCode = false;
    bool m_toDecode = false;
    bool m_toRemove = false;
    bool m_pageFlipping = false;
    bool m_videoMemory = false;
    bool m_cheatMode = false;
    bool m_toBinary = false;
    bool m_forceCNV = false;
    bool m_debugMode = false;
    bool m_createBigFile = false;
    bool m_log = false;
    bool m_forceNew = false;
    bool m_omitDir = false;
    CXString m_path;
    int32_t m_delay = 0;
    bool m_noFrame = false;
    CXString m_packDir;
    CXString m_packFile;
    CXString m_player;
    CXString m_game;
    CXString m_server = kDefaultServer;
};
