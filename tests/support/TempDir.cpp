#include "support/TempDir.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "platform/FileSystem.h"

namespace fs = std::filesystem;

namespace test {

namespace {

std::string slashes(std::string s) {
    for (char& c : s)
        if (c == '\\') c = '/';
    return s;
}

}  // namespace

TempDir::TempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string templ = std::string(base && *base ? base : "/tmp") + "/vondrel-test-XXXXXX";
    if (!mkdtemp(templ.data())) throw std::runtime_error("cannot create a temporary folder");
    std::error_code ec;
    const fs::path canonical = fs::canonical(templ, ec);
    m_path = ec ? templ : canonical.string();
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(m_path, ec);
    platform::invalidateDirectoryCache();
}

std::string TempDir::native(const std::string& relative) const {
    const std::string rel = slashes(relative);
    if (rel.empty()) return m_path;
    return m_path + "/" + rel;
}

std::string TempDir::engine(const std::string& relative) const {
    std::string out = platform::toEnginePath(native(relative));
    if (relative.empty()) out += '\\';
    return out;
}

void TempDir::write(const std::string& relative, const std::string& bytes) const {
    const fs::path p = native(relative);
    if (p.has_parent_path()) fs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + p.string());
    out.close();
    platform::invalidateDirectoryCache();
}

void TempDir::write(const std::string& relative, const std::vector<unsigned char>& bytes) const {
    write(relative, std::string(bytes.begin(), bytes.end()));
}

void TempDir::mkdir(const std::string& relative) const {
    fs::create_directories(native(relative));
    platform::invalidateDirectoryCache();
}

std::string TempDir::read(const std::string& relative) const {
    std::ifstream in(native(relative), std::ios::binary);
    if (!in) return std::string();
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool TempDir::exists(const std::string& relative) const {
    std::error_code ec;
    return fs::exists(native(relative), ec);
}

bool TempDir::hasTemporaryOf(const std::string& relative) const {
    const fs::path file(native(relative));
    const std::string prefix = file.filename().string() + ".";
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(file.parent_path(), ec))
        if (entry.path().filename().string().rfind(prefix, 0) == 0) return true;
    return false;
}

void TempDir::remove(const std::string& relative) const {
    std::error_code ec;
    fs::remove_all(native(relative), ec);
    platform::invalidateDirectoryCache();
}

ScopedCurrentDirectory::ScopedCurrentDirectory(const std::string& nativePath) {
    std::error_code ec;
    m_previous = fs::current_path(ec).string();
    if (chdir(nativePath.c_str()) != 0) throw std::runtime_error("cannot change to " + nativePath);
}

ScopedCurrentDirectory::~ScopedCurrentDirectory() {
    if (!m_previous.empty() && chdir(m_previous.c_str()) != 0) std::perror("chdir back");
}

}  // namespace test
