// What script objects use of the window they belong to. The window implements it;
// script code holds only window handles (CWindow*) and reaches their services through
// CScriptWindowServices::of, whose mapping the window's own code registers.
#pragma once

class CConfig;
class CWindow;
class CXObject;
class CXTimer;
class CXVector;

// The part of the command line that script reads: the definition-file coding switches.
class CScriptCommandLine {
public:
    virtual ~CScriptCommandLine() = default;
    virtual bool isToCode() const = 0;
    virtual bool isToDecode() const = 0;
};

class CScriptWindowServices {
public:
    virtual ~CScriptWindowServices() = default;

    virtual CConfig* getConfig() const = 0;
    virtual CScriptCommandLine* getCommandLineIfc() const = 0;
    virtual CXTimer* GetTimerInterface() const = 0;
    // The deferred-delete list: objects wait there until its timer deletes them.
    virtual CXVector* getPublicTrashInterface() const = 0;

    // How a window handle gives its services.
    using Resolver = CScriptWindowServices* (*)(CWindow* window);
    // Replaces the resolver; returns true so it can initialise a static.
    static bool registerResolver(Resolver resolver);
    // The services of a window; null for a null window or when no resolver is registered.
    static CScriptWindowServices* of(CWindow* window);
};
