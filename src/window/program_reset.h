// Bringing every layer's program-wide state back, for tests.
#pragma once

#include "state/program_state.h"

// Every piece of program-wide state back to its start-of-run value.
void ResetProgramState();
