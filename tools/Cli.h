// The command line the data tools share: options with values, "--help", a fixed
// number of file arguments, and the same messages and exit statuses everywhere
// (0 done or help, 1 the work failed, 2 the command line is wrong).
#pragma once
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace tools {

class Cli {
public:
    // synopsis: the arguments after the program name; about: what the tool does;
    // notes: text printed after the options (may be empty).
    Cli(const char* program, const char* synopsis, const char* about, const char* notes = "");

    // An option with a value; take answers false when the value is not acceptable.
    void option(const char* name, const char* value, const char* help, std::function<bool(const std::string&)> take);
    // An option with an integer value in [low, high].
    void integer(const char* name, const char* value, const char* help, long low, long high, int* target);
    // An integer option that accepts only the listed values.
    void choice(const char* name, const char* value, const char* help, std::vector<int> allowed, int* target);
    // An option without a value: present sets *target.
    void flag(const char* name, const char* help, bool* target);

    // Reads the arguments: between minFiles and maxFiles file arguments. Returns -1
    // to go on (files filled), else the status to exit with.
    int parse(int argc, const char* const* argv, size_t minFiles, size_t maxFiles, std::vector<std::string>* files);

    void usage(FILE* out) const;
    // "program: message" on stderr; returns 1.
    int fail(const std::string& message) const;
    // A command line that parsed but does not fit together: "program: message" and
    // the usage on stderr; returns 2.
    int misuse(const std::string& message) const;

    static bool toInteger(const std::string& text, long low, long high, int* value);

private:
    struct Option {
        std::string name;
        std::string value;
        std::string help;
        std::function<bool(const std::string&)> take;
        bool hasValue = true;
    };
    std::string m_program;
    std::string m_synopsis;
    std::string m_about;
    std::string m_notes;
    std::vector<Option> m_options;
};

}  // namespace tools
