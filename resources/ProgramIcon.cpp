#include "resources/ProgramIcon.h"

#include <QFile>

// Outside any namespace: the macro declares the resource's initialiser.
static void initIconResource() {
    Q_INIT_RESOURCE(icon);
}

QIcon programIcon() {
    initIconResource();
    QIcon icon;
    for (const char* size : {"16", "32"}) {
        const QString file = QStringLiteral(":/MAINICON/%1.png").arg(QLatin1String(size));
        if (QFile::exists(file))
            icon.addFile(file);
    }
    return icon;
}
