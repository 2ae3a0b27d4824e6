#include "tests/index/DriveFolder.h"

#include <QDir>
#include <QFile>

DriveFolder::DriveFolder(char letter)
    : m_letter(letter) {
    if (!m_dir.isValid())
        qFatal("cannot create a temporary folder");
    m_drives.map(letter, m_dir.path().toStdString());
}

std::string DriveFolder::drivePath(const std::string& relative) const {
    std::string path{m_letter, ':'};
    if (!relative.empty())
        path.append(1, '\\').append(relative);
    return path;
}

QString DriveFolder::hostPath(const QString& relative) const {
    return relative.isEmpty() ? m_dir.path() : m_dir.filePath(relative);
}

void DriveFolder::touch(const QString& relative, const QByteArray& bytes) const {
    QFile file(hostPath(relative));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(file.fileName()));
}

void DriveFolder::makeDirectory(const QString& relative) const {
    if (!QDir().mkpath(hostPath(relative)))
        qFatal("cannot create %s", qPrintable(relative));
}

QByteArray DriveFolder::read(const QString& relative) const {
    QFile file(hostPath(relative));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList DriveFolder::entries(const QString& relative) const {
    QStringList names =
        QDir(hostPath(relative))
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                       QDir::Name);
    names.sort();
    return names;
}
