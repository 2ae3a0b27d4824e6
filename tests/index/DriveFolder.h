#pragma once

#include "platform/testing/FakeDriveTable.h"
#include "tests/support/Files.h"

#include <QTemporaryDir>
#include <string>

// A temporary folder that is the root of a drive while it lives, so index runs write only
// there. Relative host names use '/'.
class DriveFolder {
public:
    explicit DriveFolder(char letter = 'D')
        : m_letter(letter) {
        if (!m_dir.isValid())
            qFatal("cannot create a temporary folder");
        m_drives.map(letter, m_dir.path().toStdString());
    }

    // "D:", or "D:\relative".
    std::string drivePath(const std::string& relative = std::string()) const {
        return std::string{m_letter, ':'} + (relative.empty() ? "" : "\\" + relative);
    }
    QString hostPath(const QString& relative) const { return m_dir.filePath(relative); }

    void touch(const QString& relative, const QByteArray& bytes = QByteArray()) const {
        testsupport::writeAll(hostPath(relative), bytes);
    }
    void makeDirectory(const QString& relative) const { QDir().mkpath(hostPath(relative)); }
    QByteArray read(const QString& relative) const {
        return testsupport::readAll(hostPath(relative));
    }
    // How often the drive table was read.
    int driveReads() const { return m_drives.reads(); }
    QStringList entries(const QString& relative = QString()) const {
        return testsupport::entries(hostPath(relative));
    }

private:
    QTemporaryDir m_dir;
    platform::FakeDriveTable m_drives;
    char m_letter;
};
