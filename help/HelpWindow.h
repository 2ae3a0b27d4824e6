#pragma once

#include "help/HelpFile.h"

#include <QMainWindow>

#include <memory>
#include <vector>

namespace Ui {
class HelpWindow;
}

// The help window: one topic at a time as rich text, links between topics, Back and Forward
// through the topics seen, the contents one click away; it reopens at the size it had.
class HelpWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit HelpWindow(QWidget* parent = nullptr);
    ~HelpWindow() override;

    // Shows a topic of the file, or the reason it cannot, as a new step in the history;
    // false when it showed a reason.
    bool showTopic(std::shared_ptr<const HelpFile> file, const QString& key,
                   const QString& missingText = QString());
    // Shows a message that belongs to no topic (the viewer cannot use its request).
    void showMessage(const QString& text);

    QString currentKey() const;     // empty while a message is shown
    QString currentMessage() const; // empty while a topic is shown
    QString currentText() const;

signals:
    void hidden();

protected:
    void hideEvent(QHideEvent* event) override;

private:
    struct Page {
        std::shared_ptr<const HelpFile> file;
        QString key;     // empty for a message
        QString message; // the reason a topic cannot be shown
    };

    void restoreSize();
    void saveSize();
    void push(Page page);
    void display();
    void goTo(int position);
    void followLink(const QUrl& link);

    std::unique_ptr<Ui::HelpWindow> m_ui;
    std::vector<Page> m_history;
    int m_position = -1;
};
