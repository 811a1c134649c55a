// A temporary folder for one test: a unique folder under the system's temporary
// directory (TMPDIR, else /tmp), removed with everything in it when the fixture
// goes away. Helpers write files and folders inside it by relative name; a name
// may use "/" or "\" and is never translated or case-matched, so a test spells
// exactly what lands on disk.
#pragma once
#include <string>
#include <vector>

namespace test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // Native path of the folder, without a trailing "/".
    const std::string& path() const { return m_path; }
    // Native path of a name inside the folder.
    std::string native(const std::string& relative) const;
    // Engine form ("C:\...\name") of a name inside the folder; empty name: the
    // folder itself with a trailing "\".
    std::string engine(const std::string& relative = std::string()) const;

    // Writes the bytes to the file, creating the folders on the way.
    void write(const std::string& relative, const std::string& bytes) const;
    void write(const std::string& relative, const std::vector<unsigned char>& bytes) const;
    // Creates the folder and its parents.
    void mkdir(const std::string& relative) const;
    // The file's bytes, or empty when it cannot be read.
    std::string read(const std::string& relative) const;
    bool exists(const std::string& relative) const;
    // Whether a file named as the given one plus "." and more lies beside it: a
    // writer's temporary file left behind.
    bool hasTemporaryOf(const std::string& relative) const;
    // Removes the file or folder with everything in it.
    void remove(const std::string& relative) const;

private:
    std::string m_path;
};

// Changes into a folder and back to the previous current directory at the end.
class ScopedCurrentDirectory {
public:
    explicit ScopedCurrentDirectory(const std::string& nativePath);
    ~ScopedCurrentDirectory();
    ScopedCurrentDirectory(const ScopedCurrentDirectory&) = delete;
    ScopedCurrentDirectory& operator=(const ScopedCurrentDirectory&) = delete;

private:
    std::string m_previous;
};

}  // namespace test
