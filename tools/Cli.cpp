#include "tools/Cli.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace tools {

Cli::Cli(const char* program, const char* synopsis, const char* about, const char* notes)
    : m_program(program), m_synopsis(synopsis), m_about(about), m_notes(notes) {}

void Cli::option(const char* name, const char* value, const char* help, std::function<bool(const std::string&)> take) {
    m_options.push_back(Option{name, value, help, std::move(take)});
}

void Cli::integer(const char* name, const char* value, const char* help, long low, long high, int* target) {
    option(name, value, help, [=](const std::string& text) { return toInteger(text, low, high, target); });
}

void Cli::choice(const char* name, const char* value, const char* help, std::vector<int> allowed, int* target) {
    option(name, value, help, [=](const std::string& text) {
        int v = 0;
        if (!toInteger(text, -2147483647L, 2147483647L, &v)) return false;
        if (std::find(allowed.begin(), allowed.end(), v) == allowed.end()) return false;
        *target = v;
        return true;
    });
}

void Cli::flag(const char* name, const char* help, bool* target) {
    m_options.push_back(Option{name, "", help, [=](const std::string&) {
                                   *target = true;
                                   return true;
                               },
                               false});
}

int Cli::parse(int argc, const char* const* argv, size_t minFiles, size_t maxFiles, std::vector<std::string>* files) {
    files->clear();
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            usage(stdout);
            return 0;
        }
        if (arg.size() > 1 && arg[0] == '-') {
            auto option = std::find_if(m_options.begin(), m_options.end(), [&](const Option& o) { return o.name == arg; });
            if (option == m_options.end()) {
                std::fprintf(stderr, "%s: unknown option \"%s\"\n", m_program.c_str(), arg.c_str());
                usage(stderr);
                return 2;
            }
            if (!option->hasValue) {
                option->take(std::string());
                continue;
            }
            if (i + 1 >= argc) {
                std::fprintf(stderr, "%s: %s needs a value (%s)\n", m_program.c_str(), arg.c_str(), option->value.c_str());
                return 2;
            }
            const std::string value = argv[++i];
            if (!option->take(value)) {
                std::fprintf(stderr, "%s: bad value \"%s\" for %s (%s)\n", m_program.c_str(), value.c_str(),
                             arg.c_str(), option->value.c_str());
                return 2;
            }
            continue;
        }
        if (files->size() == maxFiles) {
            std::fprintf(stderr, "%s: unexpected argument \"%s\"\n", m_program.c_str(), arg.c_str());
            usage(stderr);
            return 2;
        }
        files->push_back(arg);
    }
    if (files->size() < minFiles) {
        std::fprintf(stderr, "%s: missing arguments\n", m_program.c_str());
        usage(stderr);
        return 2;
    }
    return -1;
}

void Cli::usage(FILE* out) const {
    std::fprintf(out, "usage: %s [options] %s\n\n%s\n", m_program.c_str(), m_synopsis.c_str(), m_about.c_str());
    std::fprintf(out, "  %-18s %s\n", "--help", "this text");
    for (const Option& o : m_options) {
        const std::string left = o.hasValue ? o.name + " " + o.value : o.name;
        std::fprintf(out, "  %-18s %s\n", left.c_str(), o.help.c_str());
    }
    if (!m_notes.empty()) std::fprintf(out, "\n%s", m_notes.c_str());
}

int Cli::fail(const std::string& message) const {
    std::fprintf(stderr, "%s: %s\n", m_program.c_str(), message.c_str());
    return 1;
}

int Cli::misuse(const std::string& message) const {
    std::fprintf(stderr, "%s: %s\n", m_program.c_str(), message.c_str());
    usage(stderr);
    return 2;
}

bool Cli::toInteger(const std::string& text, long low, long high, int* value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text.c_str(), &end, 0);
    if (errno || *end || v < low || v > high) return false;
    *value = static_cast<int>(v);
    return true;
}

}  // namespace tools
