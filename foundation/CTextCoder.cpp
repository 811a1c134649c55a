#include "foundation/CTextCoder.h"

#include <memory>

#include "foundation/CFile.h"
#include "foundation/CTextFileReader.h"
#include "foundation/Crt.h"

namespace {

const char kMarker[] = "<E>";

}  // namespace

CTextCoder::CTextCoder(CWindow* window, CXString name, bool noSideCopy)
    : m_name(name), m_reader(new CTextFileReader(window, name.c_str())), m_ownsReader(true) {
    init(window, noSideCopy);
}

CTextCoder::CTextCoder(CWindow* window, CTextFileReader* reader, bool noSideCopy) : m_reader(reader) {
    init(window, noSideCopy);
}

CTextCoder::~CTextCoder() {
    if (m_ownsReader) delete m_reader;
}

void CTextCoder::init(CWindow* window, bool noSideCopy) {
    if (!m_reader) {
        setErrorCode(CFile::kErrorNotFound);
        return;
    }
    setErrorCode(m_reader->LastError());
    if (LastError() != 0) return;
    m_end = false;
    const CXString first = m_reader->getLine();
    const bool coded = first.startsWith("{<C:");
    const bool toDecode = first.startsWith("{<D:");
    if (coded || toDecode) {
        const int colon = first.Find(':');
        const int close = first.Find('>');
        const int cycle = close > colon ? crt::atoi(first.Mid(colon + 1, close).c_str()) : 0;
        // A header without a usable cycle is no header: the file reads as plain text.
        if (cycle > 0) {
            m_coded = true;
            m_cycle = cycle;
            if (!noSideCopy && toDecode && m_name.IsString()) decode(window, m_name, m_name + ".decoded");
            return;
        }
    }
    m_coded = false;
    m_reader->reset();
}

int CTextCoder::getOffset(int i) {
    const int64_t half = (static_cast<int64_t>(i) + 2) / 2;
    return static_cast<int>(i % 2 == 0 ? half : -half);
}

uint8_t CTextCoder::shift(uint8_t c, int sign) {
    const int offset = getOffset(m_index);
    if (++m_index >= m_cycle) m_index = 0;
    return static_cast<uint8_t>(c + sign * offset);
}

bool CTextCoder::_eof() {
    if (m_coded) return m_end;
    return !m_reader || m_reader->eof();
}

CXString CTextCoder::getLine() {
    if (!m_reader) return CXString("\n");
    bool readNow = false;
    if (!m_coded || m_cycle <= 0 || m_lines % m_cycle == 0) {
        m_line = m_reader->getLine();
        m_search = 0;
        readNow = true;
    }
    if (!m_coded) return m_line + "\n";

    CXString result;
    if (!m_end) {
        const int marker = m_line.indexOf(kMarker, m_search);
        if (marker < 0) {
            m_end = true;
            if (readNow) result = m_line;
        } else {
            const char* text = m_line.c_str();
            for (int i = m_search; i < marker; ++i) result += static_cast<char>(shift(static_cast<uint8_t>(text[i]), -1));
            m_search = marker + 3;
            ++m_lines;
        }
    }
    return result + "\n";
}

CXString CTextCoder::codeLine() {
    CXString collected;
    if (!m_coded && m_cycle > 0 && m_reader) {
        for (int i = 0; i < m_cycle; ++i) {
            if (m_reader->eof()) continue;
            CXString line = m_reader->getLine();
            line.AllTrim(' ');
            line = line.replace("\t", "");
            if (line.lastChar() == '\n') line.left(line.getLength() - 1);
            const char* text = line.c_str();
            for (int k = 0; k < line.getLength(); ++k) collected += static_cast<char>(shift(static_cast<uint8_t>(text[k]), 1));
            collected += kMarker;
            ++m_lines;
        }
    }
    return collected + "\n";
}

void CTextCoder::code(CWindow* window, CXString source, CXString target, int cycle) {
    if (cycle <= 0) return;
    auto coder = std::make_unique<CTextCoder>(window, source, false);
    if (coder->LastError() != 0 || coder->isCoded()) return;
    // The coded text is built whole and written in one step.
    auto file = std::make_unique<CFile_Memory>();
    coder->setCycle(cycle);
    CXString header;
    header.Format("{<C:%d>}\n", cycle);
    file->putLine(header);
    while (!coder->_eof()) {
        const CXString line = coder->codeLine();
        if (line != "\n") file->putLine(line);
    }
    CFile::saveWhole(nullptr, target, file->bytes(), "coding");
}

void CTextCoder::decode(CWindow* window, CXString source, CXString target) {
    auto coder = std::make_unique<CTextCoder>(window, source, true);
    if (coder->LastError() != 0 || !coder->isCoded()) return;
    auto file = std::make_unique<CFile_Memory>();
    while (!coder->_eof()) {
        const CXString line = coder->getLine();
        // The call that finds the end of the coded stream delivers no source line.
        if (coder->_eof() && line == "\n") break;
        file->putLine(line);
    }
    CFile::saveWhole(nullptr, target, file->bytes(), "decoding");
}
