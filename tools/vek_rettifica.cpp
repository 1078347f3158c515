// vek-rettifica: the analytic rectification from the command line (see
// tools/u_rettifica.h). VEK_TEMPI=1 in the environment prints the time of
// each stage on standard error, for the benchmark.
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <iostream>

#include "tools/u_rettifica.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const char* times = std::getenv("VEK_TEMPI");
    return RunRettifica(args, std::cout, std::cerr, isatty(STDERR_FILENO) != 0,
                        times && std::strcmp(times, "1") == 0);
}
