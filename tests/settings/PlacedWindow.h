#pragma once

#include "settings/TPersWindow.h"

#include <QVariantMap>
#include <QWidget>

#include <memory>
#include <string>

// Where the program keeps its window's placement, and the frame's position and the client's size
// that its layout gives, as the program's windows are designed.
inline const std::string Path = "Software\\Zelmar Inc.\\Pictavo\\1.0";
inline const QRect Designed(100, 120, 300, 200);

// The designed window's outer rectangle in this frame.
inline QRect designedIn(const QMargins& frame) {
    return {Designed.topLeft(), Designed.size().grownBy(frame)};
}

inline QVariant text(const std::string& value) {
    return QVariant::fromValue(value);
}

// A loaded window carrying its placement component as the main window does, with these
// properties of the component on top.
inline std::unique_ptr<QWidget> makePlacedWindow(const QVariantMap& properties = {}) {
    auto window = std::make_unique<QWidget>();
    window->resize(Designed.size());
    window->move(Designed.topLeft());
    auto* persWindow = new TPersWindow(window.get());
    QVariantMap all{{"RegPath", text(Path)},
                    {"RgNameHeight", text("WinHeight")},
                    {"RgNameLeft", text("WinLeft")},
                    {"RgNameTop", text("WinTop")},
                    {"RgNameWidth", text("WinWidth")}};
    all.insert(properties);
    for (auto it = all.begin(); it != all.end(); ++it)
        persWindow->setProperty(it.key().toLatin1().constData(), it.value());
    persWindow->loaded();
    return window;
}
