#include "platform/RegistryStore.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <sstream>
#include <utility>
#include <vector>

#include "platform/FileSystem.h"

namespace platform {

namespace {

std::vector<std::string> components(const std::string& key) {
    std::vector<std::string> out;
    std::string part;
    for (char c : key) {
        if (c == '\\') {
            if (!part.empty()) out.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty()) out.push_back(part);
    return out;
}

std::string join(const std::vector<std::string>& parts) {
    std::string out;
    for (const std::string& p : parts) {
        if (!out.empty()) out += '\\';
        out += p;
    }
    return out;
}

std::string fold(const std::string& s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(foldCase(static_cast<unsigned char>(c)));
    return out;
}

bool needsEscape(unsigned char c) { return c < 0x20 || c == '%' || c == '=' || c == '[' || c == ']'; }

std::string escape(const std::string& s) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        if (needsEscape(c)) {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += ch;
        }
    }
    return out;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// False when an escape is malformed.
bool unescape(const std::string& s, std::string* out) {
    out->clear();
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '%') {
            *out += s[i];
            continue;
        }
        if (i + 2 >= s.size()) return false;
        const int hi = hexDigit(s[i + 1]);
        const int lo = hexDigit(s[i + 2]);
        if (hi < 0 || lo < 0) return false;
        *out += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    return true;
}

// The canonical key is a prefix of `path` at a component boundary (or equal).
bool isUnder(const std::string& path, const std::string& key) {
    if (key.empty()) return true;
    if (path.size() < key.size() || path.compare(0, key.size(), key) != 0) return false;
    return path.size() == key.size() || path[key.size()] == '\\';
}

const char* hiveFileName(Hive hive) { return hive == Hive::CurrentUser ? "user.reg" : "machine.reg"; }

RegistryStore* g_installed = nullptr;

}  // namespace

// ---- one hive -----------------------------------------------------------------------

std::string RegistryHive::canonicalKey(const std::string& key) { return fold(join(components(key))); }

RegistryHive::Key& RegistryHive::makeKey(const std::string& key) {
    const std::vector<std::string> parts = components(key);
    // Every parent exists as a key too, as the system's registry creates them.
    std::vector<std::string> prefix;
    Key* last = nullptr;
    for (const std::string& part : parts) {
        prefix.push_back(part);
        const std::string path = join(prefix);
        Key& entry = m_keys[fold(path)];
        if (entry.path.empty()) entry.path = path;
        last = &entry;
    }
    if (!last) {
        Key& root = m_keys[std::string()];
        return root;
    }
    return *last;
}

bool RegistryHive::getValue(const std::string& key, const std::string& name, std::string* value) const {
    auto k = m_keys.find(canonicalKey(key));
    if (k == m_keys.end()) return false;
    auto v = k->second.values.find(fold(name));
    if (v == k->second.values.end()) return false;
    if (value) *value = v->second.data;
    return true;
}

void RegistryHive::setValue(const std::string& key, const std::string& name, const std::string& value) {
    Key& entry = makeKey(key);
    Value& v = entry.values[fold(name)];
    if (v.name.empty()) v.name = name;
    v.data = value;
}

bool RegistryHive::deleteValue(const std::string& key, const std::string& name) {
    auto k = m_keys.find(canonicalKey(key));
    if (k == m_keys.end()) return false;
    return k->second.values.erase(fold(name)) > 0;
}

bool RegistryHive::keyExists(const std::string& key) const {
    const std::string canonical = canonicalKey(key);
    if (canonical.empty()) return false;
    return m_keys.count(canonical) > 0;
}

bool RegistryHive::deleteKey(const std::string& key) {
    const std::string canonical = canonicalKey(key);
    if (canonical.empty() || !m_keys.count(canonical)) return false;
    for (auto it = m_keys.begin(); it != m_keys.end();) {
        if (isUnder(it->first, canonical))
            it = m_keys.erase(it);
        else
            ++it;
    }
    return true;
}

std::string RegistryHive::toText() const {
    std::string out;
    for (const std::string& line : m_unparsed) {
        out += line;
        out += '\n';
    }
    for (const auto& [canonical, key] : m_keys) {
        out += '[';
        out += escape(key.path);
        out += "]\n";
        for (const auto& [folded, value] : key.values) {
            out += escape(value.name);
            out += '=';
            out += escape(value.data);
            out += '\n';
        }
        for (const std::string& line : key.unparsed) {
            out += line;
            out += '\n';
        }
    }
    return out;
}

RegistryHive RegistryHive::fromText(const std::string& text) {
    RegistryHive hive;
    Key* current = nullptr;
    std::istringstream in(text);
    std::string raw;
    // A line that does not parse is kept where it belongs, with the key whose section
    // holds it, else outside every key, as it was read (its line end's "\r" too): kept
    // without it, a line ending in another "\r" would read differently next time.
    auto keep = [&]() { (current ? current->unparsed : hive.m_unparsed).push_back(raw); };
    while (std::getline(in, raw)) {
        std::string line = raw;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        if (line.front() == '[') {
            current = nullptr;
            std::string path;
            if (line.back() != ']' || line.size() < 2 || !unescape(line.substr(1, line.size() - 2), &path)) {
                keep();
                continue;
            }
            current = &hive.makeKey(path);
            continue;
        }
        const size_t eq = line.find('=');
        std::string name, data;
        if (!current || eq == std::string::npos || !unescape(line.substr(0, eq), &name) ||
            !unescape(line.substr(eq + 1), &data)) {
            keep();
            continue;
        }
        Value& v = current->values[fold(name)];
        if (v.name.empty()) v.name = name;
        v.data = data;
    }
    return hive;
}

// ---- memory store -------------------------------------------------------------------

bool MemoryRegistryStore::getValue(Hive hive, const std::string& key, const std::string& name, std::string* value) {
    return m_hives[static_cast<int>(hive)].getValue(key, name, value);
}

bool MemoryRegistryStore::setValue(Hive hive, const std::string& key, const std::string& name,
                                   const std::string& value) {
    m_hives[static_cast<int>(hive)].setValue(key, name, value);
    return true;
}

bool MemoryRegistryStore::deleteValue(Hive hive, const std::string& key, const std::string& name) {
    return m_hives[static_cast<int>(hive)].deleteValue(key, name);
}

bool MemoryRegistryStore::deleteKey(Hive hive, const std::string& key) {
    return m_hives[static_cast<int>(hive)].deleteKey(key);
}

bool MemoryRegistryStore::keyExists(Hive hive, const std::string& key) {
    return m_hives[static_cast<int>(hive)].keyExists(key);
}

// ---- file store ---------------------------------------------------------------------

FileRegistryStore::FileRegistryStore(std::string folder) : m_folder(std::move(folder)) {}

std::string FileRegistryStore::defaultFolder() {
    if (const char* own = std::getenv("VONDREL_REGISTRY_DIR"); own && *own) return own;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config)
        return std::string(config) + "/vondrel/registry";
    if (const char* home = std::getenv("HOME"); home && *home) return std::string(home) + "/.config/vondrel/registry";
    return std::string();
}

std::string FileRegistryStore::hivePath(Hive hive) const { return m_folder + "/" + hiveFileName(hive); }

bool FileRegistryStore::read(Hive hive, RegistryHive* tree) const {
    *tree = RegistryHive();
    if (m_folder.empty()) return true;
    const int fd = open(hivePath(hive).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT;
    std::string text;
    char chunk[4096];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got > 0) {
            text.append(chunk, static_cast<size_t>(got));
        } else if (got == 0) {
            break;
        } else if (errno != EINTR) {
            close(fd);
            return false;
        }
    }
    close(fd);
    *tree = RegistryHive::fromText(text);
    return true;
}

namespace {

// Creates the folder and its parents; true when it exists afterwards.
bool makeFolders(const std::string& folder) {
    if (folder.empty()) return false;
    std::string path;
    size_t start = 0;
    while (start <= folder.size()) {
        size_t slash = folder.find('/', start);
        if (slash == std::string::npos) slash = folder.size();
        path = folder.substr(0, slash);
        if (!path.empty()) mkdir(path.c_str(), 0777);
        start = slash + 1;
    }
    struct stat st;
    return stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// An exclusive lock on a file, released when the object goes.
class FileLock {
public:
    explicit FileLock(const std::string& path) {
        m_fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (m_fd < 0) return;
        int rc;
        do rc = flock(m_fd, LOCK_EX);
        while (rc != 0 && errno == EINTR);
        if (rc != 0) {
            close(m_fd);
            m_fd = -1;
        }
    }
    ~FileLock() {
        if (m_fd >= 0) close(m_fd);
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

}  // namespace

template <class Change>
bool FileRegistryStore::modify(Hive hive, Change change) {
    if (!makeFolders(m_folder)) return false;
    // The data file is replaced by a rename at every write, so the lock lives in a
    // file of its own that stays in place.
    FileLock lock(hivePath(hive) + ".lock");
    if (!lock.held()) return false;
    // A hive that cannot be read is never written over.
    RegistryHive tree;
    if (!read(hive, &tree) || !change(tree)) return false;
    const std::string text = tree.toText();
    const std::string target = toEnginePath(hivePath(hive));
    return writeFileAtomically(target.c_str(), text.data(), text.size());
}

bool FileRegistryStore::getValue(Hive hive, const std::string& key, const std::string& name, std::string* value) {
    RegistryHive tree;
    return read(hive, &tree) && tree.getValue(key, name, value);
}

bool FileRegistryStore::setValue(Hive hive, const std::string& key, const std::string& name,
                                 const std::string& value) {
    return modify(hive, [&](RegistryHive& tree) {
        tree.setValue(key, name, value);
        return true;
    });
}

bool FileRegistryStore::deleteValue(Hive hive, const std::string& key, const std::string& name) {
    return modify(hive, [&](RegistryHive& tree) { return tree.deleteValue(key, name); });
}

bool FileRegistryStore::deleteKey(Hive hive, const std::string& key) {
    return modify(hive, [&](RegistryHive& tree) { return tree.deleteKey(key); });
}

bool FileRegistryStore::keyExists(Hive hive, const std::string& key) {
    RegistryHive tree;
    return read(hive, &tree) && tree.keyExists(key);
}

// ---- the store in force ---------------------------------------------------------------

RegistryStore& registryStore() {
    if (g_installed) return *g_installed;
    // The folder follows the environment as it is now.
    static std::unique_ptr<FileRegistryStore> defaultStore;
    static std::string folder;
    const std::string current = FileRegistryStore::defaultFolder();
    if (!defaultStore || current != folder) {
        folder = current;
        defaultStore = std::make_unique<FileRegistryStore>(folder);
    }
    return *defaultStore;
}

void setRegistryStore(RegistryStore* store) { g_installed = store; }

ScopedRegistryStore::ScopedRegistryStore(RegistryStore& store) : m_previous(g_installed) { g_installed = &store; }

ScopedRegistryStore::~ScopedRegistryStore() { g_installed = m_previous; }

}  // namespace platform
