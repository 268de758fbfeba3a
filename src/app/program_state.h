// Program-wide state of the frame, shared by the subsystems.
#pragma once

#include <cstdint>

struct Screen;

constexpr int SCRATCH_BUFFER_SIZE = 1024;
constexpr int WINDOW_TITLE_SIZE = 128;

extern char scratchBuffer[SCRATCH_BUFFER_SIZE];
extern Screen *startScreen;
extern char windowTitle[WINDOW_TITLE_SIZE];
extern const char *displayModeLabels[4];

// Every piece of program-wide state back to its start-of-run value (for tests).
void ResetProgramState();
