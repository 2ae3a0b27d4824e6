#include "app/HelpRequest.h"

#include <utility>

namespace {
HelpRequestHandler::Function& installedHandler() {
    static HelpRequestHandler::Function handler;
    return handler;
}
} // namespace

HelpRequestHandler::Function HelpRequestHandler::install(Function handler) {
    return std::exchange(installedHandler(), std::move(handler));
}

HelpRequestHandler::Function HelpRequestHandler::current() {
    return installedHandler();
}

bool RequestHelp(quint16 command, quint32 data) {
    const HelpRequestHandler::Function handler = installedHandler();
    return handler && handler(command, data);
}
