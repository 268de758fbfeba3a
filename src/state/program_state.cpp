#include "state/program_state.h"

#include <cstring>

char scratchBuffer[SCRATCH_BUFFER_SIZE];
Screen *startScreen = nullptr;
char windowTitle[WINDOW_TITLE_SIZE];
const char *displayModeLabels[4];

int failureCode = 0;

Library *DOSBase = nullptr;
Library *IntuitionBase = nullptr;
Library *GfxBase = nullptr;
Library *LocaleBase = nullptr;
Library *IconBase = nullptr;
Library *MUIMasterBase = nullptr;
Library *AslBase = nullptr;
Interface *IDOS = nullptr;
Interface *IIntuition = nullptr;
Interface *IGraphics = nullptr;
Interface *ILocale = nullptr;
Interface *IIcon = nullptr;
Interface *IMUIMaster = nullptr;
Interface *IAsl = nullptr;

void ResetSharedState()
{
    std::memset(scratchBuffer, 0, sizeof scratchBuffer);
    startScreen = nullptr;
    std::memset(windowTitle, 0, sizeof windowTitle);
    std::memset(displayModeLabels, 0, sizeof displayModeLabels);
}
