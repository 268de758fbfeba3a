// The icons overview: a window listing each icon Save writes, in its order, with
// its role, the file found, its kind, whether it can be written (and why not) and
// the settings it holds where they differ from the application's.
#pragma once

struct Object;

// The overview window; null until first shown and after the tree is disposed of.
extern Object *iconsWindow;

// Fills the rows from the icons as they are now and opens the window. The window
// is made when first shown, not with the settings window, and given to the
// application then; when it cannot be made, nothing opens.
void ShowIconsOverview();
void CloseIconsOverview();
