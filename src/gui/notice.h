// The line above the buttons: what holds now between the settings on disk and
// those the window shows, or that the window waits for the manual's viewer.
#pragma once

enum class Notice {
    None,
    ShownOtherChange,  // another program changed the settings; the window shows them
    ChangedWithEdits,  // another program changed them while the window holds edits: Save will ask
};

// Shows the notice (None hides the line).
void SetNotice(Notice notice);
Notice CurrentNotice();

// While the help viewer is open the line says so, over the notice.
void ShowHelpWaiting(bool waiting);
