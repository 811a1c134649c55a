// vondrel-code: a definition file to its coded form.
#include "tools/Cli.h"
#include "tools/DefinitionCoder.h"

int main(int argc, char** argv) {
    int cycle = tools::kDefaultCodeCycle;
    tools::Cli cli("vondrel-code", "INPUT [OUTPUT]",
                   "Writes the coded form of a definition file (default OUTPUT: INPUT followed by \".coded\").\n"
                   "The engine reads coded and plain definition files alike.");
    cli.integer("--cycle", "N", "lines coded together (default 6, as the engine's \"code\" option)", 1, 1000, &cycle);
    std::vector<std::string> files;
    if (const int status = cli.parse(argc, argv, 1, 2, &files); status >= 0) return status;
    const std::string output = files.size() == 2 ? files[1] : files[0] + ".coded";
    std::string error;
    if (!tools::codeDefinition(files[0], output, cycle, &error)) return cli.fail(error);
    return 0;
}
