// The settings store behind the engine's registry operations: two hives (the user's
// and the machine's), each a tree of keys with string values. Key paths are
// components separated by "\"; empty components (a leading, trailing or doubled "\")
// are ignored. Key components and value names compare ignoring case (as foldCase
// folds them) and keep the spelling they were first written with.
//
// FileRegistryStore keeps one text file per hive in a folder: VONDREL_REGISTRY_DIR
// when set, else "vondrel/registry" under $XDG_CONFIG_HOME (or ~/.config). Every
// change reads the file, changes it and writes it back under an exclusive lock on a
// lock file beside it; the file is replaced in one step, so a reader never sees half
// of a write and a failed write leaves the previous file. A hive file that exists but
// cannot be opened or read fails the change and stays as it is. A damaged file is read
// as far as it parses; the lines that do not parse are written back as they were.
// MemoryRegistryStore keeps the same trees in memory, for tests.
#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace platform {

enum class Hive { CurrentUser = 0, LocalMachine = 1 };

class RegistryStore {
public:
    virtual ~RegistryStore() = default;
    // The value, or false when the key or the value does not exist.
    virtual bool getValue(Hive hive, const std::string& key, const std::string& name, std::string* value) = 0;
    // Creates the key (and its parents) when missing and sets the value; false when
    // the store could not be written.
    virtual bool setValue(Hive hive, const std::string& key, const std::string& name, const std::string& value) = 0;
    // False when the key or the value does not exist or the store could not be written.
    virtual bool deleteValue(Hive hive, const std::string& key, const std::string& name) = 0;
    // Deletes the key with every key below it; false when it does not exist (the
    // hive's root is no key) or the store could not be written.
    virtual bool deleteKey(Hive hive, const std::string& key) = 0;
    virtual bool keyExists(Hive hive, const std::string& key) = 0;
};

// One hive's tree, the form both stores work on.
class RegistryHive {
public:
    // The key's canonical form: components folded and joined by "\", empty ones dropped.
    static std::string canonicalKey(const std::string& key);

    bool getValue(const std::string& key, const std::string& name, std::string* value) const;
    void setValue(const std::string& key, const std::string& name, const std::string& value);
    bool deleteValue(const std::string& key, const std::string& name);
    bool deleteKey(const std::string& key);
    bool keyExists(const std::string& key) const;

    // The text form: "[key]" lines, each followed by its "name=value" lines. Bytes below
    // 0x20 and "%", "=", "[", "]" are written as "%" and two hex digits. Lines read that
    // did not parse come back unchanged: those outside any key (before the first key,
    // or under a header that did not parse) first, those inside a key after its values.
    std::string toText() const;
    // Reads the text form as far as it parses; lines that do not parse are kept (a key's
    // go with it when it is deleted); empty lines are dropped.
    static RegistryHive fromText(const std::string& text);

private:
    struct Value {
        std::string name;
        std::string data;
    };
    struct Key {
        std::string path;                    // as first written, empty components dropped
        std::map<std::string, Value> values;  // by folded name
        std::vector<std::string> unparsed;   // lines of its section that did not parse
    };
    Key& makeKey(const std::string& key);

    std::map<std::string, Key> m_keys;  // by canonical path
    std::vector<std::string> m_unparsed;  // lines outside any key
};

class MemoryRegistryStore : public RegistryStore {
public:
    bool getValue(Hive hive, const std::string& key, const std::string& name, std::string* value) override;
    bool setValue(Hive hive, const std::string& key, const std::string& name, const std::string& value) override;
    bool deleteValue(Hive hive, const std::string& key, const std::string& name) override;
    bool deleteKey(Hive hive, const std::string& key) override;
    bool keyExists(Hive hive, const std::string& key) override;

private:
    RegistryHive m_hives[2];
};

class FileRegistryStore : public RegistryStore {
public:
    // The folder (native path) that holds the hive files; created at the first write.
    explicit FileRegistryStore(std::string folder);

    bool getValue(Hive hive, const std::string& key, const std::string& name, std::string* value) override;
    bool setValue(Hive hive, const std::string& key, const std::string& name, const std::string& value) override;
    bool deleteValue(Hive hive, const std::string& key, const std::string& name) override;
    bool deleteKey(Hive hive, const std::string& key) override;
    bool keyExists(Hive hive, const std::string& key) override;

    // The native path of a hive's file.
    std::string hivePath(Hive hive) const;
    // The default folder (see the file comment); empty when no home is known.
    static std::string defaultFolder();

private:
    // The hive as its file holds it; a missing file is an empty hive. False when the
    // file exists but cannot be opened or read.
    bool read(Hive hive, RegistryHive* tree) const;
    // Locks the hive, reads it, lets `change` modify it and writes it back when
    // `change` reports a change. False when the change failed or the write did.
    template <class Change>
    bool modify(Hive hive, Change change);

    std::string m_folder;
};

// The store in force: a FileRegistryStore over the default folder unless one was
// installed.
RegistryStore& registryStore();
// Installs a store (not owned); null restores the default.
void setRegistryStore(RegistryStore* store);

class ScopedRegistryStore {
public:
    explicit ScopedRegistryStore(RegistryStore& store);
    ~ScopedRegistryStore();
    ScopedRegistryStore(const ScopedRegistryStore&) = delete;
    ScopedRegistryStore& operator=(const ScopedRegistryStore&) = delete;

private:
    RegistryStore* m_previous;
};

}  // namespace platform
