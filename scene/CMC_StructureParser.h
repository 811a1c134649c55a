// Builds a game's application, episodes and scenes from its structure file
// ("application.def"): scenes first, then episodes, then applications, each in file
// order, so that every list can name what was built before it. It serves as the name
// directory while they are built and keeps the script runtime's value pools and
// runners for as long as it lives.
//
// Ownership: the first list that names a scene or an episode takes it (the
// application owns its episodes and direct scenes, an episode its scenes); later
// mentions are skipped. Of several APPLICATION elements only the last takes any. The
// parser deletes, after the application has gone, whatever no list took.
#pragma once
#include <unordered_set>
#include <vector>

#include "foundation/CXObject.h"
#include "foundation/CXString.h"
#include "scene/CMC_Application.h"
#include "shell/CScriptApplicationIfc.h"

class CWindow;
class CMC_Object;

class CMC_StructureParser : public CXObject, public CStructureParserIfc {
public:
    // Creates the value pools and the runners, then reads the file of the current folder.
    CMC_StructureParser(CWindow* window, CXString fileName);
    // Deletes what no list took (the application must have gone first), then
    // releases the pools and the runners.
    ~CMC_StructureParser() override;
    CMC_StructureParser(const CMC_StructureParser&) = delete;
    CMC_StructureParser& operator=(const CMC_StructureParser&) = delete;

    // The application built by the last APPLICATION element, or null; the caller owns it.
    CMC_Application* getMCApplication() override { return m_application; }
    // The first object built so far whose name equals the name exactly, or null.
    CMC_Object* get(CXString name);
    // Lets a list take the object: true when no list took it before and lists may
    // take objects now.
    bool take(CMC_Object* object);

protected:
    CMC_Application* load(CXString fileName);

private:
    CWindow* m_window;
    CMC_Application* m_application = nullptr;
    std::vector<CMC_Object*> m_built;
    std::unordered_set<CMC_Object*> m_taken;
    bool m_takingAllowed = true;
};
