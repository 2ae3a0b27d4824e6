#include "help/HelpFile.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace {

QString plainText(QString html) {
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    html.remove(tag);
    html.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    html.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    html.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    html.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    return html.simplified();
}

QString firstMatch(const QString& html, const QRegularExpression& pattern) {
    const QRegularExpressionMatch match = pattern.match(html);
    return match.hasMatch() ? match.captured(1) : QString();
}

// Where the element that opens at `start` with the tag `name` closes (just past its end
// tag), counting nested elements of the same name; -1 when it never closes.
qsizetype elementEnd(const QString& html, const QString& name, qsizetype start) {
    const QRegularExpression tags(QStringLiteral("<(/?)%1\\b[^>]*>").arg(name),
                                  QRegularExpression::CaseInsensitiveOption);
    int depth = 0;
    for (auto it = tags.globalMatch(html, start); it.hasNext();) {
        const QRegularExpressionMatch tag = it.next();
        depth += tag.captured(1).isEmpty() ? 1 : -1;
        if (depth == 0)
            return tag.capturedEnd();
    }
    return -1;
}

} // namespace

HelpFile HelpFile::load(const QByteArray& hostPath) {
    HelpFile file;
    file.m_path = hostPath;
    const std::filesystem::path path(hostPath.toStdString());
    std::error_code failure;
    const std::filesystem::file_status status = std::filesystem::status(path, failure);
    if (status.type() == std::filesystem::file_type::not_found) {
        file.m_error =
            QStringLiteral("The help file \"%1\" was not found.").arg(file.displayPath());
        return file;
    }
    // Only a regular file is opened: a pipe or a device would block or never end.
    if (!failure && status.type() != std::filesystem::file_type::regular) {
        file.m_error = QStringLiteral("\"%1\" is not a help file.").arg(file.displayPath());
        return file;
    }
    std::ifstream in;
    errno = 0;
    if (!failure)
        in.open(path, std::ios::binary);
    if (failure || !in) {
        const int code = failure ? failure.value() : errno;
        file.m_error =
            QStringLiteral("The help file \"%1\" cannot be read: %2.")
                .arg(file.displayPath(), QString::fromLocal8Bit(std::strerror(code ? code : EIO)));
        return file;
    }
    QByteArray bytes(MaxSize + 1, Qt::Uninitialized);
    in.read(bytes.data(), bytes.size());
    if (in.bad()) {
        file.m_error =
            QStringLiteral("The help file \"%1\" cannot be read.").arg(file.displayPath());
        return file;
    }
    bytes.truncate(in.gcount());
    if (bytes.size() > MaxSize) {
        file.m_error =
            QStringLiteral("\"%1\" is too large for a help file.").arg(file.displayPath());
        return file;
    }
    QStringDecoder decoder(QStringDecoder::Utf8);
    return fromHtml(hostPath, decoder.decode(bytes));
}

HelpFile HelpFile::fromHtml(const QByteArray& hostPath, const QString& html) {
    HelpFile file;
    file.m_path = hostPath;
    static const QRegularExpression title(QStringLiteral("<title>(.*?)</title>"),
                                          QRegularExpression::CaseInsensitiveOption |
                                              QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression style(QStringLiteral("<style[^>]*>(.*?)</style>"),
                                          QRegularExpression::CaseInsensitiveOption |
                                              QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression heading(QStringLiteral("<h[1-3][^>]*>(.*?)</h[1-3]>"),
                                            QRegularExpression::CaseInsensitiveOption |
                                                QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression opening(
        QStringLiteral("<([a-z][a-z0-9]*)\\b[^>]*\\bid\\s*=\\s*[\"']topic-([^\"']+)[\"'][^>]*>"),
        QRegularExpression::CaseInsensitiveOption);

    file.m_title = plainText(firstMatch(html, title));
    file.m_styleSheet = firstMatch(html, style);
    for (auto it = opening.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        const QString key = match.captured(2);
        const qsizetype end = elementEnd(html, match.captured(1), match.capturedStart());
        if (end < 0 || file.m_topics.contains(key))
            continue;
        const qsizetype closeTag = html.lastIndexOf(QLatin1Char('<'), end - 1);
        Topic topic;
        topic.html = html.mid(match.capturedEnd(), closeTag - match.capturedEnd());
        topic.title = plainText(firstMatch(topic.html, heading));
        file.m_topics.insert(key, topic);
        file.m_keys.append(key);
    }
    if (file.m_topics.isEmpty())
        file.m_error = QStringLiteral("\"%1\" is not a help file.").arg(file.displayPath());
    return file;
}

QString HelpFile::displayPath() const {
    return QFile::decodeName(m_path);
}

QStringList HelpFile::linkedKeys(const QString& key) const {
    static const QRegularExpression link(QStringLiteral("href\\s*=\\s*[\"']#topic-([^\"']+)[\"']"),
                                         QRegularExpression::CaseInsensitiveOption);
    QStringList keys;
    for (auto it = link.globalMatch(topicHtml(key)); it.hasNext();)
        keys.append(it.next().captured(1));
    return keys;
}
