#include "app/HelpRequest.h"

#include <utility>

namespace {
HelpRequestHandler& installedHandler() {
    static HelpRequestHandler handler;
    return handler;
}
} // namespace

HelpRequestHandler SetHelpRequestHandler(HelpRequestHandler handler) {
    return std::exchange(installedHandler(), std::move(handler));
}

bool RequestHelp(quint16 command, quint32 data) {
    const HelpRequestHandler handler = installedHandler();
    return handler && handler(command, data);
}
