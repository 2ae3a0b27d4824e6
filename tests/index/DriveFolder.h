#pragma once

#include "platform/testing/FakeDriveTable.h"

#include <QStringList>
#include <QTemporaryDir>
#include <string>

// A temporary folder that is the root of a drive while it lives, so index runs write only
// there.
class DriveFolder {
public:
    explicit DriveFolder(char letter = 'D');

    // "D:" followed by "\relative" when relative is not empty.
    std::string drivePath(const std::string& relative = std::string()) const;
    QString hostPath(const QString& relative = QString()) const;

    void touch(const QString& relative, const QByteArray& bytes = QByteArray()) const;
    void makeDirectory(const QString& relative) const;
    QByteArray read(const QString& relative) const;
    // Every entry of a folder, hidden ones included, sorted by bytes.
    QStringList entries(const QString& relative = QString()) const;

private:
    QTemporaryDir m_dir;
    platform::FakeDriveTable m_drives;
    char m_letter;
};
