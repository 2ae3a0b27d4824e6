#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

namespace testsupport {

// Runs body in a forked child that, when the test runs as the superuser, first becomes
// nobody:nogroup, so that permissions apply as they do for a user; any other user stays who
// they are. Returns what body returned, or a text starting with "<child" when the child did
// not finish. The child shares nothing with the test afterwards, so close databases and other
// connections first.
QByteArray runUnprivileged(const std::function<QByteArray()>& body);

// Gives path and everything below it to the user that runUnprivileged runs as, and lets that
// user pass through the test's temporary folders above it. Does nothing for a normal user.
void handOver(const QString& path);

} // namespace testsupport
