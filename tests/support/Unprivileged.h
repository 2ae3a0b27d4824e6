#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

namespace testsupport {

// Runs body in a forked child that first becomes nobody:nogroup when the test runs as the
// superuser, so that permissions apply as they do for users. Returns what body returned, or
// "<child ...>" when the child failed. Close database connections before.
QByteArray runUnprivileged(const std::function<QByteArray()>& body);

// Gives path and everything below it to that user, who may then pass through the test's
// temporary folder above it. Does nothing for a normal user.
void handOver(const QString& path);

} // namespace testsupport
