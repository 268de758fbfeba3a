// The settings window's named objects: set when the tree is built, read by the
// command loop and by saving, which takes the controls' values.
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
extern Object *noteText;  // a line the window tells something in, hidden until then

// Every handle back to null (does not dispose).
void ResetWindowHandles();
