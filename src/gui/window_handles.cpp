#include "gui/window_handles.h"

Object *app = nullptr;
Object *mainWindow = nullptr;
Object *menuStrip = nullptr;
Object *displayModeCycle = nullptr;
Object *screenModeText = nullptr;
Object *screenModeButton = nullptr;
Object *soundCheckmark = nullptr;
Object *volumeSlider = nullptr;
Object *fpsCheckmark = nullptr;
Object *fpsSlider = nullptr;
Object *saveButton = nullptr;
Object *aboutButton = nullptr;
Object *helpButton = nullptr;
Object *cancelButton = nullptr;
Object *noteText = nullptr;

void ResetWindowHandles()
{
    app = mainWindow = menuStrip = displayModeCycle = screenModeText = screenModeButton = nullptr;
    soundCheckmark = volumeSlider = fpsCheckmark = fpsSlider = nullptr;
    saveButton = aboutButton = helpButton = cancelButton = noteText = nullptr;
}
