#include "cli/command_line.h"
#include "cli/window_program.h"

int main(int argc, char **argv)
{
    if (argc > 0 && WindowWanted(argc, argv)) {
        const int exitValue = ExecWindowProgram(argv);
        EndRun();
        return exitValue;
    }
    return RunCommandLine(argc, argv, [](int, char **args, const CommandLine &) { return ExecWindowProgram(args); });
}
