#pragma once

#include "platform/shell/Shell.h"

#include <QtGlobal>

#include <functional>

// Carries out a help request; true when the help viewer took it.
using HelpRequestHandler = std::function<bool(quint16 command, quint32 data)>;

// Installs where help requests go and returns the previous route. Until the application
// routes them to the help viewer, requests do nothing and report failure.
HelpRequestHandler SetHelpRequestHandler(HelpRequestHandler handler);

bool RequestHelp(quint16 command, quint32 data);
