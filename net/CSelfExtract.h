// Package archives ("SFX01"): reading the table, extracting entries into a folder and
// building an archive from folder trees.
//
// The archive: "SFX01", the entry count (u32 little-endian), then per entry its
// compression type (u8: 1 zlib, 2 stored), file length (u32), stored length (u32),
// the stored bytes, the name length (u32) and the name. ReadTOC checks the whole
// table against the bytes present and every name (a relative path: no leading "\"
// or "/", drive, empty, "." or ".." component, NUL, nor 260 bytes or more) and adds
// nothing unless all of it holds. Extraction streams each entry into a temporary
// file beside its target and renames it over the target only when the entry came
// out whole: a zlib stream must inflate to exactly the file length, a stored entry's
// lengths must agree, and nothing is decoded past 1 GiB. A name containing ".wav"
// holds Ogg Vorbis data, decoded back into a PCM WAV file (one that does not decode
// keeps its bytes, and the entry fails). Nothing is written outside the folder and
// no symbolic link is followed below it.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/CXString.h"

class CSelfExtractInfo;

class CSelfExtract {
public:
    static constexpr int64_t kMaxEntryLength = int64_t(1) << 30;

    CSelfExtract();
    explicit CSelfExtract(CXString path);
    virtual ~CSelfExtract();
    CSelfExtract(const CSelfExtract&) = delete;
    CSelfExtract& operator=(const CSelfExtract&) = delete;

    // Empties the path and the table.
    void Flush();
    void SetPath(CXString path) { m_path = path; }
    const CXString& GetPath() const { return m_path; }

    // Appends the archive's entries to the table; false (table unchanged) for a
    // missing, damaged or hostile archive.
    bool ReadTOC();
    // Every entry in table order; true when all of them were extracted.
    bool ExtractFiles(CXString folder);
    bool ExtractOne(int index, CXString folder);

    // Adds the files below the folder, named by their path from the current folder.
    void AddDirectory(CXString folder);
    // Adds the files below the folder, named namePrefix + their path inside it.
    void AddDirectory(CXString folder, CXString namePrefix);
    // Writes the table's files as an archive; entries that cannot be read or encoded
    // are left out and the count says what was written. Written to a temporary file
    // renamed over the path at the end; false when nothing could be written.
    bool CreateArchive(CXString path);

    // Packs the folder's tree into an archive whose entry names start with the
    // folder's last component ("game1\Dane\a.cnv"). The archive is read back and its
    // table compared with the files before it replaces the path; false, with the
    // reason in *why, when the folder is none, a file could not be packed or the
    // archive cannot be written.
    static bool PackFolder(CXString folder, CXString archivePath, std::string* why);

    int GetCount() const { return static_cast<int>(m_entries.size()); }
    CSelfExtractInfo* GetEntry(int index) const;

private:
    CXString m_path;
    std::vector<CSelfExtractInfo*> m_entries;
};
