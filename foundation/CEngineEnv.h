// The process-wide folders that file names resolve against, and the engine's log.
// The shell's window statics read and set the same state.
#pragma once
#include "foundation/CXString.h"

class CEngineEnv {
public:
    // The installation folder, with a trailing "\".
    static CXString rootPath;
    // The game folder that names resolve against first.
    static CXString cdPath;
    // The engine's executable folder, with a trailing "\": at first the running
    // program's folder; the window sets it from its start arguments, and code that
    // loads from beside the engine reads it here.
    static CXString& executableFolder();

    // The engine's log; writes nothing anywhere.
    static void toLog(CXString text, bool flag);
    // A failure the engine goes on after (a save that did not reach the disk): the
    // text as one line to the debugger output and to the log, and the first time for
    // this kind and file also to standard error, so a user sees it without "debug".
    static void logFailure(const char* kind, const CXString& file, const CXString& text);
    // How many failures of the kind were logged since the process started.
    static int failureCount(const char* kind);
};
