#pragma once

#include <QByteArray>
#include <QString>

#include <string>
#include <vector>

// One request to the help viewer as the program's shell makes it: the help file's host path
// (bytes, never re-encoded), the command and its data, and when it was made, so that a
// running viewer can tell a late request from a newer one.
struct HelpCall {
    QByteArray file;
    quint16 command = 0;
    quint32 data = 0;
    qint64 madeAt = 0;  // steady-clock nanoseconds; 0 when unknown
    QString error;      // not empty: the arguments cannot be used, and why
    bool usage = false; // --help: print the usage, do nothing else

    // The arguments after the program name: FILE COMMAND DATA, or --help. A relative FILE
    // is taken from the current directory.
    static HelpCall fromArguments(const std::vector<std::string>& arguments, qint64 madeAt);

    // Steady-clock nanoseconds, as stamps count.
    static qint64 now();
    // The stamp that the program that asked for help left in PICTAVO_HELP_MADE_AT, taken out of
    // the environment so that nothing the viewer starts inherits it; now when there is none.
    // Never later than now: a stamp from the future would shut out every later request.
    static qint64 takeMadeAt();

    QByteArray serialized() const;
    // A call that arrived damaged or from another version carries an error.
    static HelpCall deserialized(const QByteArray& bytes);
};
