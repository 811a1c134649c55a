#include "tools/DefinitionCoder.h"
#include "tools/Output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "foundation/CTextCoder.h"
#include "platform/FileSystem.h"

namespace tools {

namespace {

// A line as the coded form keeps it: no tabs, no outer blanks, no line end.
std::string cleaned(const CXString& line) {
    std::string out;
    for (const char* p = line.c_str(); *p; ++p)
        if (*p != '\t') out += *p;
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
    const size_t first = out.find_first_not_of(' ');
    if (first == std::string::npos) return std::string();
    return out.substr(first, out.find_last_not_of(' ') - first + 1);
}

// Every line the engine reads from the file, trailing empty lines left out.
std::vector<std::string> linesOf(CTextCoder& coder) {
    std::vector<std::string> lines;
    while (!coder._eof()) lines.push_back(cleaned(coder.getLine()));
    while (!lines.empty() && lines.back().empty()) lines.pop_back();
    return lines;
}

}  // namespace

bool codeDefinition(const std::string& source, const std::string& output, int cycle, std::string* error) {
    if (cycle < 1) return report(error, "the cycle must be 1 or more");
    const CXString from(platform::toEnginePath(source).c_str());
    std::vector<std::string> plain;
    {
        auto reader = std::make_unique<CTextCoder>(nullptr, from, true);
        if (reader->LastError() != 0) return report(error, source + ": cannot be read");
        if (reader->isCoded()) return report(error, source + ": is coded already");
        plain = linesOf(*reader);
    }
    const std::string temporary = temporaryFor(output);
    if (temporary.empty()) return report(error, output + ": cannot write (" + std::strerror(errno) + ")");
    const CXString to(platform::toEnginePath(temporary).c_str());
    CTextCoder::code(nullptr, from, to, cycle);
    bool same = false;
    {
        auto reader = std::make_unique<CTextCoder>(nullptr, to, true);
        same = reader->LastError() == 0 && reader->isCoded() && linesOf(*reader) == plain;
    }
    return finishOutput(temporary, output, same, "cannot write the coded file", error);
}

}  // namespace tools
