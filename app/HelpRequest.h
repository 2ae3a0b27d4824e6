#pragma once

#include "platform/shell/Shell.h"

#include <QtGlobal>

#include <functional>

// Where help requests go. Until the application routes them to the help viewer, requests do
// nothing and report failure.
class HelpRequestHandler {
public:
    // Carries out a help request; true when the help viewer took it.
    using Function = std::function<bool(quint16 command, quint32 data)>;

    // Installs a route and returns the one it replaces.
    static Function install(Function handler);
    static Function current();
};

bool RequestHelp(quint16 command, quint32 data);
