// Choosing the full-screen mode, and showing its name.
#pragma once

// Shows the name of AppSettings.modeId in screenModeText.
void ShowScreenModeName();

// Runs the screen mode requester; 1 when a mode was confirmed and stored, else 0.
int ChooseScreenMode();
