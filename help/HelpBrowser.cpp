#include "help/HelpBrowser.h"

#include <QAccessible>
#include <QDir>
#include <QFileInfo>

HelpBrowser::HelpBrowser(QWidget* parent)
    : QTextBrowser(parent) {}

QVariant HelpBrowser::loadResource(int type, const QUrl& name) {
    // Resources compiled into the program are memory, and a data: URL is the document's own.
    if (name.scheme() == QLatin1String("qrc") || name.scheme() == QLatin1String("data"))
        return QTextBrowser::loadResource(type, name);
    if (!name.scheme().isEmpty() && !name.isLocalFile())
        return {};
    const QString path = name.isLocalFile() ? name.toLocalFile() : name.path();
    if (path.startsWith(QLatin1Char(':')))
        return QTextBrowser::loadResource(type, name);
    // The name as the base view would open it: as given or from the folder of the topic's
    // source, if any.
    QFileInfo file(path);
    if (file.isRelative() && source().isLocalFile())
        file.setFile(QFileInfo(source().toLocalFile()).dir(), path);
    if (!file.isFile() || file.size() > MaxResourceSize)
        return {};
    return QTextBrowser::loadResource(type, name);
}

bool HelpBrowser::focusNextPrevChild(bool next) {
    const QTextCursor before = textCursor();
    const bool handled = QTextBrowser::focusNextPrevChild(next);
    const QTextCursor after = textCursor();
    if (after.position() != before.position() || after.anchor() != before.anchor()) {
        QAccessibleTextCursorEvent caret(this, after.position());
        QAccessible::updateAccessibility(&caret);
        QAccessibleTextSelectionEvent selection(this, after.selectionStart(), after.selectionEnd());
        QAccessible::updateAccessibility(&selection);
    }
    return handled;
}
