#include "foundation/CTextFileReader.h"

#include "foundation/CFile.h"

CTextFileReader::CTextFileReader(CWindow* window, const char* name) : m_owned(true) { load(window, name); }

CTextFileReader::CTextFileReader(CWindow*, char* data, int size)
    : m_size(data && size > 0 ? size : 0), m_data(data), m_owned(false) {}

CTextFileReader::~CTextFileReader() {
    if (m_owned) delete[] m_data;
}

void CTextFileReader::load(CWindow* window, const char* name) {
    auto* file = new CFile(window, CXString(name), CFile::kReadText);
    setErrorCode(file->LastError());
    if (LastError() == 0) {
        const int length = file->Length();
        if (length > 0) {
            m_data = new char[static_cast<size_t>(length)];
            const int got = file->Read(m_data, length);
            m_size = got > 0 ? got : 0;
        }
    }
    delete file;
}

CXString CTextFileReader::getLine() {
    if (!m_data || m_size <= 0) return CXString();
    int count = 0;
    while (m_position + count < m_size && m_data[m_position + count] != '\n') ++count;
    CXString line(m_data + m_position, count);
    m_position += count + 1;
    if (m_position > m_size) m_position = m_size;
    return line;
}
