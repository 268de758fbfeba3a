// The toolkit's look per application base name (widget style, font, colour
// scheme), its settings window and its About window.
#pragma once

#include <QDialog>
#include <QPointer>

#include <string>

struct Object;

namespace toolkit {

// Applies the look saved for the application's base name.
void RestoreLook(const std::string &base);
// Shows the About window, or the settings window, of app over parent; window
// holds it while it lives.
void ShowAboutWindow(QPointer<QDialog> &window, Object *app, QWidget *parent);
void ShowSettingsWindow(QPointer<QDialog> &window, Object *app, QWidget *parent);

}  // namespace toolkit
