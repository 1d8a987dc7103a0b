// zrm-script FILE...: runs scenario files headlessly, each on its own fresh
// database and server. Exit 0 when every expectation held, 1 otherwise.
#include <iostream>
#include <string>
#include <vector>

#include "apps/options/common_options.h"
#include "scenario/runner.h"

int main(int argc, char** argv) {
    CLI::App app("Runs scenario files of the screen headlessly, each on a fresh database and server.",
                 "zrm-script");
    zrmopt::AddCommonOptions(app, "");
    std::vector<std::string> files;
    app.add_option("FILE", files, "scenario files")->required()->check(CLI::ExistingFile);
    const zrmopt::Parsed parsed = zrmopt::Parse(app, std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.run) {
        zrmopt::Print(parsed);
        return parsed.exitCode;
    }
    return scenario::RunFiles(files, std::cout) ? 0 : 1;
}
