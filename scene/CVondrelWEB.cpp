#include "scene/CVondrelWEB.h"

#include <string>

#include "foundation/CEngineEnv.h"

namespace {

std::string text(const CXString& s) { return std::string(s.c_str(), static_cast<size_t>(s.getLength())); }

}  // namespace

CXString CVondrelWEB::get_registry(Root root, CXString key, CXString name) {
    std::string value;
    if (!platform::registryStore().getValue(root, text(key), text(name), &value)) return CXString();
    // The value and its terminator have to fit the reader's buffer.
    if (value.size() > static_cast<size_t>(kMaxValueLength)) return CXString();
    // The text up to its first NUL.
    return CXString(value.c_str());
}

bool CVondrelWEB::set_registry(Root root, CXString key, CXString name, CXString value) {
    if (platform::registryStore().setValue(root, text(key), text(name), text(value))) return true;
    const CXString record = CXString(root == kCurrentUser ? "HKCU\\" : "HKLM\\") + key + " " + name;
    CEngineEnv::logFailure("registry", record, CXString("registry: ") + record + " is not written");
    return false;
}

void CVondrelWEB::delete_registry(Root root, CXString key, CXString name) {
    platform::registryStore().deleteValue(root, text(key), text(name));
}

bool CVondrelWEB::delete_registry_key(Root root, CXString key) {
    return platform::registryStore().deleteKey(root, text(key));
}

bool CVondrelWEB::update_registry(Root root, CXString key, CXString name, CXString value) {
    return set_registry(root, key, name, value);
}

bool CVondrelWEB::add_registry(Root root, CXString key, CXString name, CXString value) {
    return update_registry(root, key, name, value);
}

CXString CVondrelWEB::get_full_vdweb_path() {
    const CXString engineKey(kEngineKey);
    CXString path = get_registry(kCurrentUser, engineKey, CXString("Path"));
    const CXString file = get_registry(kCurrentUser, engineKey, CXString("File"));
    if (!path.IsString()) return file;
    if (!path.endsWith(CXString("\\"))) path += "\\";
    path += file;
    return path;
}
