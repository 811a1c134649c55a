#include "tools/PackagePacker.h"

#include "net/CSelfExtract.h"
#include "net/CSelfExtractInfo.h"
#include "platform/FileSystem.h"
#include "platform/SafeFiles.h"

namespace tools {

namespace {

std::string slashed(std::string path) {
    for (char& c : path)
        if (c == '\\') c = '/';
    return path;
}

bool readPackage(const std::string& package, CSelfExtract* archive, std::string* error) {
    if (!checkInputFile(package, error)) return false;
    archive->SetPath(CXString(platform::toEnginePath(package).c_str()));
    if (!archive->ReadTOC())
        return report(error, package + ": not a package archive, or a damaged one (its table does not read)");
    return true;
}

}  // namespace

bool packPackage(const std::string& folder, const std::string& output, std::string* error) {
    if (!checkPackableFolder(folder, output, error)) return false;
    CSelfExtract probe;
    probe.AddDirectory(CXString(realFolder(folder).c_str()), CXString("probe\\"));
    if (probe.GetCount() == 0) return report(error, folder + ": no files to pack");
    std::string why;
    if (!CSelfExtract::PackFolder(CXString(realFolder(folder).c_str()), CXString(platform::toEnginePath(output).c_str()),
                                  &why))
        return report(error, why);
    return true;
}

bool listPackage(const std::string& package, std::vector<ListedFile>* files, std::string* error) {
    CSelfExtract archive;
    if (!readPackage(package, &archive, error)) return false;
    files->clear();
    for (int i = 0; i < archive.GetCount(); ++i) {
        const CSelfExtractInfo* entry = archive.GetEntry(i);
        files->push_back(ListedFile{slashed(entry->GetFilename().c_str()), entry->GetFileLength()});
    }
    return true;
}

bool extractPackage(const std::string& package, const std::string& folder, std::string* error) {
    CSelfExtract archive;
    if (!readPackage(package, &archive, error)) return false;
    if (!platform::ConfinedFolder(platform::toEnginePath(folder).c_str()).isOpen())
        return report(error, folder + ": cannot be made or opened as a folder");
    const CXString target(platform::toEnginePath(folder).c_str());
    std::string failed;
    int failures = 0;
    for (int i = 0; i < archive.GetCount(); ++i) {
        if (archive.ExtractOne(i, target)) continue;
        if (++failures <= 3)
            failed += (failed.empty() ? "" : ", ") + slashed(archive.GetEntry(i)->GetFilename().c_str());
    }
    if (failures == 0) return true;
    if (failures > 3) failed += " and " + std::to_string(failures - 3) + " more";
    return report(error, package + ": " + std::to_string(failures) + " of " + std::to_string(archive.GetCount()) +
                             " entries did not come out whole (" + failed + ")");
}

}  // namespace tools
