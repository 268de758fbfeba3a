// Program-wide state of the frame, shared by every layer above: the scratch
// buffer, the start screen, the window's texts, and the platform's libraries.
#pragma once

#include <cstdint>

struct Screen;
struct Library;
struct Interface;

constexpr int SCRATCH_BUFFER_SIZE = 1024;
constexpr int WINDOW_TITLE_SIZE = 128;

extern char scratchBuffer[SCRATCH_BUFFER_SIZE];
extern Screen *startScreen;
extern char windowTitle[WINDOW_TITLE_SIZE];
extern const char *displayModeLabels[4];

extern int failureCode;

// The seven libraries and their main interfaces; null while not open.
extern Library *DOSBase;
extern Library *IntuitionBase;
extern Library *GfxBase;
extern Library *LocaleBase;
extern Library *IconBase;
extern Library *MUIMasterBase;
extern Library *AslBase;
extern Interface *IDOS;
extern Interface *IIntuition;
extern Interface *IGraphics;
extern Interface *ILocale;
extern Interface *IIcon;
extern Interface *IMUIMaster;
extern Interface *IAsl;

// This layer's state back to its start-of-run value (the handles are only
// forgotten: closing them is the start-up's business).
void ResetSharedState();
