// One entry of a package archive's table: where its record starts, its lengths, its
// compression type and its name (a relative path with "\" between folders). An entry
// being packed also knows the file it is read from.
#pragma once
#include <cstdint>

#include "foundation/CXString.h"

class CSelfExtractInfo {
public:
    static constexpr uint8_t kZlib = 1;
    static constexpr uint8_t kStored = 2;

    CSelfExtractInfo() = default;
    virtual ~CSelfExtractInfo() = default;

    void SetDataOffset(int64_t offset) { m_dataOffset = offset; }
    void SetFileLength(uint32_t length) { m_fileLength = length; }
    void SetCompressionLength(uint32_t length) { m_compressionLength = length; }
    void SetCompressionType(uint8_t type) { m_compressionType = type; }
    void SetFilename(CXString name) { m_fileName = name; }
    void SetSourcePath(CXString path) { m_sourcePath = path; }

    int64_t GetDataOffset() const { return m_dataOffset; }
    uint32_t GetFileLength() const { return m_fileLength; }
    uint32_t GetCompressionLength() const { return m_compressionLength; }
    uint8_t GetCompressionType() const { return m_compressionType; }
    const CXString& GetFilename() const { return m_fileName; }
    // The file packed under this entry: the source path when set, else the name.
    const CXString& GetSourcePath() const { return m_sourcePath.IsString() ? m_sourcePath : m_fileName; }

private:
    int64_t m_dataOffset = 0;
    uint32_t m_fileLength = 0;
    uint32_t m_compressionLength = 0;
    uint8_t m_compressionType = kZlib;
    CXString m_fileName;
    CXString m_sourcePath;
};
