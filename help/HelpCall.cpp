#include "help/HelpCall.h"

#include "platform/shell/Shell.h"

#include <QDataStream>
#include <QIODevice>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <filesystem>
#include <system_error>

namespace {

// Bumped whenever the layout below changes, so an older viewer still running after an
// update rejects the call instead of misreading it.
constexpr quint32 kWireVersion = 0x50480001;

// The system's limit on a path; a longer name names no file and only costs the viewer time.
constexpr qsizetype MaxNameBytes = 4096;

bool isCommand(quint64 command) {
    return command == HELP_CONTEXT || command == HELP_QUIT || command == HELP_CONTENTS ||
           command == HELP_CONTEXTPOPUP;
}

bool parseUnsigned(const std::string& text, quint64 limit, quint64& value) {
    if (text.empty() || text.front() == '+' || text.front() == '-')
        return false;
    const char* end = text.data() + text.size();
    const auto [last, status] = std::from_chars(text.data(), end, value);
    return status == std::errc() && last == end && value <= limit;
}

} // namespace

HelpCall HelpCall::fromArguments(const std::vector<std::string>& arguments, qint64 madeAt) {
    HelpCall call;
    call.madeAt = madeAt;
    if (arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "-h")) {
        call.usage = true;
        return call;
    }
    if (arguments.size() != 3) {
        call.error = QStringLiteral("expected a help file, a command and its data, got %1 "
                                    "argument(s)")
                         .arg(arguments.size());
        return call;
    }
    quint64 command = 0;
    quint64 data = 0;
    if (!parseUnsigned(arguments[1], 0xFFFF, command) || !isCommand(command)) {
        call.error =
            QStringLiteral("unknown command \"%1\"").arg(QString::fromStdString(arguments[1]));
        return call;
    }
    if (!parseUnsigned(arguments[2], 0xFFFFFFFF, data)) {
        call.error = QStringLiteral("the data \"%1\" is not a number from 0 to 4294967295")
                         .arg(QString::fromStdString(arguments[2]));
        return call;
    }
    if (arguments[0].empty()) {
        call.error = QStringLiteral("the help file name is empty");
        return call;
    }
    if (qsizetype(arguments[0].size()) > MaxNameBytes) {
        call.error = QStringLiteral("the help file name is too long");
        return call;
    }
    // The running viewer may have another current directory, so a relative name is made
    // absolute here; std::filesystem keeps the bytes as they are.
    std::error_code failure;
    const std::filesystem::path absolute = std::filesystem::absolute(arguments[0], failure);
    const std::string& bytes = failure ? arguments[0] : absolute.native();
    call.file = QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
    call.command = static_cast<quint16>(command);
    call.data = static_cast<quint32>(data);
    return call;
}

qint64 HelpCall::now() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

qint64 HelpCall::takeMadeAt() {
    const QByteArray stamp = qgetenv("PICTAVO_HELP_MADE_AT");
    qunsetenv("PICTAVO_HELP_MADE_AT");
    bool valid = false;
    const qint64 madeAt = stamp.toLongLong(&valid);
    const qint64 current = now();
    return valid && madeAt > 0 ? std::min(madeAt, current) : current;
}

QByteArray HelpCall::serialized() const {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << kWireVersion << file << command << data << madeAt << error;
    return bytes;
}

HelpCall HelpCall::deserialized(const QByteArray& bytes) {
    HelpCall call;
    QDataStream in(bytes);
    quint32 version = 0;
    in >> version;
    if (version != kWireVersion) {
        call.error = QStringLiteral("the request came from another version of the help viewer");
        return call;
    }
    in >> call.file >> call.command >> call.data >> call.madeAt >> call.error;
    if (in.status() != QDataStream::Ok || !in.atEnd()) {
        call = HelpCall();
        call.error = QStringLiteral("the request arrived damaged");
    } else if (call.error.isEmpty() && !isCommand(call.command)) {
        const quint16 command = call.command;
        call = HelpCall();
        call.error = QStringLiteral("unknown command \"%1\"").arg(command);
    } else if (call.file.size() > MaxNameBytes) {
        call = HelpCall();
        call.error = QStringLiteral("the help file name is too long");
    } else if (call.error.size() > MaxNameBytes) {
        call.error = call.error.left(MaxNameBytes) + QChar(0x2026);
    }
    return call;
}
