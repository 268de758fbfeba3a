#include "program/program.h"

#include <cstring>
#include <string>

namespace {

std::string programName = "Settings";

}  // namespace

const char *ProgramName()
{
    return programName.c_str();
}

void SetProgramName(const char *startedAs)
{
    const char *slash = std::strrchr(startedAs, '/');
    programName = slash != nullptr ? slash + 1 : startedAs;
}
