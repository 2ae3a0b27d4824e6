#pragma once

#include <QString>

// The application's title ("Zelmar Pictavo"): the caption of message dialogs of the custom kind.
// Kept apart from Qt's application display name, which the X11 backend would append to every
// window title ("Confirm — Zelmar Pictavo").
QString applicationTitle();
void setApplicationTitle(const QString& title);
