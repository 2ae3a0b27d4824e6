#pragma once

#include <QTextBrowser>

// The help window's topic view. A topic's images and style sheets come only from regular
// files of a bounded size: a pipe or a device named in a topic would hang the viewer, and with
// it every later help request. Moving from link to link with Tab tells a screen reader where
// the caret went, which the text browser itself keeps quiet about.
class HelpBrowser : public QTextBrowser {
    Q_OBJECT

public:
    static constexpr qint64 MaxResourceSize = 16 * 1024 * 1024;

    explicit HelpBrowser(QWidget* parent = nullptr);

    QVariant loadResource(int type, const QUrl& name) override;

protected:
    bool focusNextPrevChild(bool next) override;
};
