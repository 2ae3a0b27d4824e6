#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

// A help file read into memory: its topics (elements with id="topic-KEY", KEY a help context
// or "contents"), their titles and the file's style sheet. A file that cannot be used leaves
// the object without topics and with the reason in error().
class HelpFile {
public:
    // Larger files are refused rather than read: a help file is a few dozen kilobytes.
    static constexpr qint64 MaxSize = 8 * 1024 * 1024;

    static HelpFile load(const QByteArray& hostPath);
    static HelpFile fromHtml(const QByteArray& hostPath, const QString& html);

    const QByteArray& path() const { return m_path; }
    QString displayPath() const;
    bool isValid() const { return m_error.isEmpty(); }
    const QString& error() const { return m_error; }

    const QString& title() const { return m_title; }
    const QString& styleSheet() const { return m_styleSheet; }
    bool contains(const QString& key) const { return m_topics.contains(key); }
    // The topic's inner markup; empty for an unknown key.
    QString topicHtml(const QString& key) const { return m_topics.value(key).html; }
    QString topicTitle(const QString& key) const { return m_topics.value(key).title; }
    // In the order the file holds them.
    const QStringList& keys() const { return m_keys; }
    // Every "#topic-KEY" a topic links to, in the order found.
    QStringList linkedKeys(const QString& key) const;

private:
    struct Topic {
        QString html;
        QString title;
    };

    QByteArray m_path;
    QString m_error;
    QString m_title;
    QString m_styleSheet;
    QHash<QString, Topic> m_topics;
    QStringList m_keys;
};
