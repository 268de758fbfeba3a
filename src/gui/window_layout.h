// The settings window: the object tree and its named handles.
#pragma once

struct Object;

extern Object *app;
extern Object *mainWindow;
extern Object *menuStrip;
extern Object *displayModeCycle;
extern Object *screenModeText;
extern Object *screenModeButton;
extern Object *soundCheckmark;  // null when the sound section is hidden
extern Object *volumeSlider;    // null when the sound section is hidden
extern Object *fpsCheckmark;
extern Object *fpsSlider;
extern Object *saveButton;
extern Object *aboutButton;
extern Object *helpButton;
extern Object *cancelButton;

// Builds the whole tree; returns app, or null when any object could not be made.
Object *BuildSettingsWindow();

// The sound area: a gap when hideSound is set, else the sound section.
Object *BuildSoundGroup();

// Every handle back to null (for tests; does not dispose).
void ResetWindowHandles();
