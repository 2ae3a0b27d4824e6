// Times filling the directory list for a directory of 10,000 subdirectories (a third with
// non-ASCII names) and the drive list for 26 mapped drives, beside a one-pass readdir over the
// same directory. Runs offscreen on the host's own drive table, mount table and labels.
#include "platform/drives/Paths.h"
#include "selectors/TDirectoryListBox.h"
#include "selectors/TDriveComboBox.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <dirent.h>
#include <functional>
#include <vector>

namespace {

double medianMs(int runs, const std::function<void()>& work) {
    std::vector<double> times;
    work(); // warm-up: caches and first-time set-up are not what a user waits for each time
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

std::size_t readdirFloor(const QByteArray& path) {
    std::size_t entries = 0;
    if (DIR* dir = opendir(path.constData())) {
        while (readdir(dir))
            ++entries;
        closedir(dir);
    }
    return entries;
}

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir scratch;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(scratch.filePath("config")));
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QDir().mkpath(scratch.filePath("runtime"));
    QFile::setPermissions(scratch.filePath("runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(scratch.filePath("runtime")));
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 21;

    const QString big = scratch.filePath("big");
    QDir().mkpath(big);
    static const char* const stems[] = {"Album", "Ördner", "Фото", "写真", "Été", "photo"};
    for (int i = 0; i < count; ++i) {
        const char* stem = i % 3 == 0 ? stems[1 + (i / 3) % 4] : (i % 2 ? stems[0] : stems[5]);
        QDir(big).mkdir(
            QStringLiteral("%1-%2").arg(QString::fromUtf8(stem)).arg(i, 5, 10, QChar('0')));
    }
    const QString devices = scratch.filePath("config/pictavo/dosdevices");
    QDir().mkpath(devices);
    for (char letter = 'a'; letter <= 'z'; ++letter)
        QFile::link(letter == 'd' ? big : scratch.path(), devices + "/" + letter + ":");
    platform::resetCurrentDirectories();

    TDirectoryListBox list;
    list.resize(301, 165);
    list.show();
    list.SetDirectory("D:\\");
    const double fill = medianMs(runs, [&] { list.FillDirectoryList(); });
    const QByteArray hostBig = QFile::encodeName(big);
    const double floor = medianMs(runs, [&] { readdirFloor(hostBig); });

    TDriveComboBox drives;
    drives.show();
    const double driveFill = medianMs(runs, [&] { drives.FillDriveList(); });

    std::printf("directory list, %d subdirectories: %7.2f ms (target <= 100)  readdir floor "
                "%6.2f ms  ratio %5.1fx  items %d  [%s]\n",
                count, fill, floor, fill / floor, list.Count(), fill <= 100 ? "ok" : "MISSED");
    std::printf("drive list, %d drives:              %7.2f ms (target <= 20)   [%s]\n",
                drives.count(), driveFill, driveFill <= 20 ? "ok" : "MISSED");
    return fill <= 100 && driveFill <= 20 ? 0 : 1;
}
