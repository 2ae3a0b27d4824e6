#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>
#include <filesystem>

namespace {

const QString Prefix = QStringLiteral("/usr/local");
const QString AppId = QStringLiteral("net.zelmar.Pictavo");
const QString Private = QStringLiteral(PICTAVO_LIBDIR "/pictavo");
const QString Data = QStringLiteral(PICTAVO_DATADIR "/pictavo");

struct Run {
    int exitCode = -1;
    QString output;
};

Run run(const QString& program, const QStringList& arguments, const QString& destDir = QString()) {
    QProcess process;
    if (!destDir.isEmpty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DESTDIR", destDir);
        process.setProcessEnvironment(environment);
    }
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    Run result;
    if (process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit)
        result.exitCode = process.exitCode();
    result.output = QString::fromLocal8Bit(process.readAll());
    return result;
}

} // namespace

// `cmake --install` into a DESTDIR: the programs together in one private folder with a link to
// the help file in the data folder, the commands linked into bin, and what the desktop needs
// where it looks.
class TestInstall : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void installedTree();
    void entry_data();
    void entry();
    void validates_data();
    void validates();
    void desktopEntryOpensFolders();

private:
    QString installed(const QString& path) const { return m_root + Prefix + '/' + path; }

    QTemporaryDir m_dest;
    QString m_root;
    QMap<QString, QString> m_expected; // path below the prefix → kind
};

void TestInstall::initTestCase() {
    m_root = m_dest.path();
    const Run install =
        run(PICTAVO_CMAKE, {"--install", PICTAVO_BUILD_DIR, "--prefix", Prefix}, m_root);
    QVERIFY2(install.exitCode == 0, qPrintable(install.output));

    // clang-format off
    m_expected = {
        {Private + "/pictavo-help", "program"},
        {Private + "/pictavo-index", "program"},
        {Private + "/Pictavo.hlp", "help link"},
        {Data + "/Pictavo.hlp", "file"},
        {PICTAVO_BINDIR "/pictavo-index", "command"},
        {PICTAVO_DATADIR "/applications/" + AppId + ".desktop", "file"},
        {PICTAVO_DATADIR "/metainfo/" + AppId + ".metainfo.xml", "file"},
        {PICTAVO_DATADIR "/icons/hicolor/16x16/apps/" + AppId + ".png", "icon 16"},
        {PICTAVO_DATADIR "/icons/hicolor/32x32/apps/" + AppId + ".png", "icon 32"},
        {PICTAVO_DATADIR "/icons/hicolor/scalable/apps/" + AppId + ".svg", "file"},
        {PICTAVO_MANDIR "/man1/pictavo.1", "file"},
        {PICTAVO_MANDIR "/man1/pictavo-index.1", "file"},
        {Private + "/pictavo", "program"},
        {PICTAVO_BINDIR "/pictavo", "command"},
    };
    // clang-format on
}

void TestInstall::installedTree() {
    QStringList found;
    QDirIterator it(m_root, QDir::Files | QDir::System | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QVERIFY2(path.startsWith(m_root + Prefix + '/'),
                 qPrintable(path + " is outside the prefix"));
        found.append(path.mid(m_root.size() + Prefix.size() + 1));
    }
    found.sort();
    QCOMPARE(found, m_expected.keys());
}

void TestInstall::entry_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("kind");
    for (auto it = m_expected.cbegin(); it != m_expected.cend(); ++it)
        QTest::newRow(qPrintable(it.key())) << it.key() << it.value();
}

void TestInstall::entry() {
    QFETCH(QString, path);
    QFETCH(QString, kind);
    const QFileInfo info(installed(path));
    QVERIFY(info.exists());
    if (kind == "command" || kind == "help link") {
        // Relative, so the tree may be moved or packaged, and pointing where the file is.
        QVERIFY(info.isSymLink());
        const std::filesystem::path link =
            std::filesystem::read_symlink(QFile::encodeName(info.filePath()).toStdString());
        QVERIFY2(link.is_relative(), link.c_str());
        const QString folder = kind == "command" ? Private : Data;
        QCOMPARE(info.symLinkTarget(),
                 QFileInfo(installed(folder + '/' + info.fileName())).absoluteFilePath());
        const Run version = run(info.absoluteFilePath(), {"--version"});
        if (info.fileName() == "pictavo-index")
            QCOMPARE(version.output.trimmed(), "pictavo-index 1.0");
    } else if (kind == "program") {
        QVERIFY(info.isExecutable() && !info.isSymLink());
        // Everything of ours is linked in statically: a search path in the installed program
        // could only point somewhere it should not look.
        const QString readelf = QStandardPaths::findExecutable("readelf");
        if (readelf.isEmpty())
            QSKIP("readelf is not installed");
        const Run dynamic = run(readelf, {"--dynamic", info.filePath()});
        QCOMPARE(dynamic.exitCode, 0);
        QVERIFY2(!dynamic.output.contains("RUNPATH") && !dynamic.output.contains("RPATH"),
                 qPrintable(dynamic.output));
    } else if (kind.startsWith("icon")) {
        const int size = kind.mid(5).toInt();
        QCOMPARE(QImage(info.filePath()).size(), QSize(size, size));
    }
}

void TestInstall::validates_data() {
    QTest::addColumn<QString>("validator");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("refused"); // words of the validator's output
    // Even a hint of the desktop entry's validator is a flaw a menu shows, such as a second
    // main category listing the program twice.
    QTest::newRow("desktop entry")
        << "desktop-file-validate"
        << QStringList{installed(PICTAVO_DATADIR "/applications/" + AppId + ".desktop")}
        << QStringList{"error", "warning", "hint"};
    QTest::newRow("metainfo") << "appstreamcli"
                              << QStringList{"validate", "--no-net",
                                             installed(PICTAVO_DATADIR "/metainfo/" + AppId +
                                                       ".metainfo.xml")}
                              << QStringList{"error", "warning"};
    // As lintian reads them: groff's warnings are what it reports.
    for (const char* page : {"pictavo.1", "pictavo-index.1"})
        QTest::newRow(qPrintable(QStringLiteral("manual page %1").arg(page)))
            << "man"
            << QStringList{"--warnings", "-E",
                           "UTF-8",      "-l",
                           "-Tutf8",     installed(PICTAVO_MANDIR "/man1/" + QString(page))}
            << QStringList{"warning:", "error:"};
}

void TestInstall::validates() {
    QFETCH(QString, validator);
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, refused);
    const QString program = QStandardPaths::findExecutable(validator);
    if (program.isEmpty())
        QSKIP(qPrintable(validator + " is not installed"));
    const Run result = run(program, arguments);
    QVERIFY2(result.exitCode == 0, qPrintable(result.output));
    for (const QString& word : refused)
        QVERIFY2(!result.output.contains(word), qPrintable(result.output));
}

// A file manager offers the program for folders only when the entry names their type, and
// then hands over one path.
void TestInstall::desktopEntryOpensFolders() {
    QFile entry(installed(PICTAVO_DATADIR "/applications/" + AppId + ".desktop"));
    QVERIFY(entry.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList lines = QString::fromUtf8(entry.readAll()).split('\n');
    QVERIFY(lines.contains("Exec=pictavo %f"));
    const auto mime = std::find_if(lines.cbegin(), lines.cend(), [](const QString& line) {
        return line.startsWith("MimeType=");
    });
    QVERIFY(mime != lines.cend());
    QVERIFY(mime->mid(9).split(';').contains("inode/directory"));
}

PICTAVO_TEST_MAIN(TestInstall, QCoreApplication)
#include "tst_install.moc"
