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
    if (!checkInputFile(source, error)) return false;
    const CXString from(platform::toEnginePath(source).c_str());
    std::vector<std::string> plain;
    {
        auto reader = std::make_unique<CTextCoder>(nullptr, from, true);
        if (reader->LastError() != 0) return report(error, source + ": cannot be read");
        if (reader->isCoded()) return report(error, source + ": is coded already");
        plain = linesOf(*reader);
    }
    const std::string temporary = temporaryFor(output);
    if (temporary.empty()) return report(error, output + ": cannot be written (" + writeFailure(errno) + ")");
    const CXString to(platform::toEnginePath(temporary).c_str());
    errno = 0;
    CTextCoder::code(nullptr, from, to, cycle);
    const int written = errno;
    std::vector<std::string> back;
    bool coded = false;
    {
        auto reader = std::make_unique<CTextCoder>(nullptr, to, true);
        coded = reader->LastError() == 0 && reader->isCoded();
        if (coded) back = linesOf(*reader);
    }
    if (coded && back != plain) {
        // The coded file was written but reads back otherwise: the source holds what
        // the coded form cannot carry (control bytes, or letters that code into its
        // line marker), so the source is at fault, not the output.
        size_t line = 0;
        while (line < back.size() && line < plain.size() && back[line] == plain[line]) ++line;
        std::remove(temporary.c_str());
        return report(error, source + ": cannot be coded: line " + std::to_string(line + 1) +
                                 " does not survive the coding (control bytes, or letters that code into the line marker)");
    }
    return finishOutput(temporary, output, coded, "cannot be written (" + writeFailure(written) + ")", error);
}

}  // namespace tools
