#include "help/HelpWindow.h"

#include "settings/TRegIniFile.h"
#include "ui_HelpWindow.h"

#include <QDesktopServices>
#include <QHideEvent>
#include <QStyle>
#include <QTextBrowser>
#include <QUrl>

#include <exception>
#include <string>

namespace {

// The help window's size lives beside the program's settings. Its inner size is kept, not
// the outer one: the window manager's frame is unknown until the window is on screen.
const std::string SettingsPath = "Software\\Zelmar Inc.\\Pictavo\\";
const std::string SizeSection = "1.0\\Help";
constexpr int SmallestSide = 200;

const QString DefaultTitle = QStringLiteral("Pictavo Help");
const QString TopicPrefix = QStringLiteral("topic-");

// Only in force where the help file brings no style sheet of its own.
const QString FallbackStyle = QStringLiteral("body { margin: 8px; } h1 { font-size: x-large; }");

} // namespace

HelpWindow::HelpWindow(QWidget* parent)
    : QMainWindow(parent)
    , m_ui(std::make_unique<Ui::HelpWindow>()) {
    m_ui->setupUi(this);
    restoreSize();

    m_ui->actContents->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    m_ui->actBack->setIcon(style()->standardIcon(QStyle::SP_ArrowBack));
    m_ui->actForward->setIcon(style()->standardIcon(QStyle::SP_ArrowForward));
    m_ui->actContents->setShortcuts(
        {QKeySequence(Qt::ALT | Qt::Key_Home), QKeySequence(Qt::Key_F1)});
    m_ui->actBack->setShortcuts(
        {QKeySequence(QKeySequence::Back), QKeySequence(Qt::Key_Backspace)});
    m_ui->actForward->setShortcuts(QKeySequence::Forward);
    auto* close = new QAction(this);
    close->setShortcuts({QKeySequence(QKeySequence::Close), QKeySequence(Qt::Key_Escape)});
    addAction(close);

    connect(close, &QAction::triggered, this, &QWidget::close);
    connect(m_ui->actContents, &QAction::triggered, this, [this] {
        if (m_position >= 0)
            showTopic(m_history[m_position].file, QStringLiteral("contents"));
    });
    connect(m_ui->actBack, &QAction::triggered, this, [this] { goTo(m_position - 1); });
    connect(m_ui->actForward, &QAction::triggered, this, [this] { goTo(m_position + 1); });
    connect(m_ui->Topic, &QTextBrowser::anchorClicked, this, &HelpWindow::followLink);
    m_ui->Topic->document()->setDocumentMargin(12);
    // A caret that moves with the links and selects text lets a screen reader follow along.
    m_ui->Topic->setTextInteractionFlags(Qt::TextBrowserInteraction | Qt::TextSelectableByKeyboard);
    m_ui->Topic->setFocus();
    display();
}

HelpWindow::~HelpWindow() = default;

bool HelpWindow::showTopic(std::shared_ptr<const HelpFile> file, const QString& key,
                           const QString& missingText) {
    Page page{file, key, QString()};
    if (!file || !file->isValid())
        page.message = file ? file->error() : QString();
    else if (!file->contains(key))
        page.message =
            !missingText.isEmpty() ? missingText
            : key == QLatin1String("contents")
                ? QStringLiteral("This help file has no contents.")
                : QStringLiteral("There is no help topic \"%1\" in this help file.").arg(key);
    if (!page.message.isEmpty())
        page.key.clear();
    const bool found = page.message.isEmpty();
    push(std::move(page));
    return found;
}

void HelpWindow::showMessage(const QString& text) {
    push(Page{nullptr, QString(), text});
}

QString HelpWindow::currentKey() const {
    return m_position >= 0 ? m_history[m_position].key : QString();
}

QString HelpWindow::currentMessage() const {
    return m_position >= 0 ? m_history[m_position].message : QString();
}

QString HelpWindow::currentText() const {
    return m_ui->Topic->toPlainText();
}

void HelpWindow::hideEvent(QHideEvent* event) {
    QMainWindow::hideEvent(event);
    if (event->spontaneous())
        return;
    saveSize();
    emit hidden();
}

void HelpWindow::restoreSize() {
    try {
        TRegIniFile store(SettingsPath);
        const int width =
            QString::fromStdString(store.ReadText(SizeSection, "WinWidth", "")).toInt();
        const int height =
            QString::fromStdString(store.ReadText(SizeSection, "WinHeight", "")).toInt();
        if (width >= SmallestSide && height >= SmallestSide)
            resize(qMin(width, QWIDGETSIZE_MAX), qMin(height, QWIDGETSIZE_MAX));
    } catch (const std::exception&) {
        // Settings that cannot be read leave the designed size.
    }
}

void HelpWindow::saveSize() {
    const QSize size = (isMaximized() || isFullScreen()) && normalGeometry().isValid()
                           ? normalGeometry().size()
                           : this->size();
    try {
        TRegIniFile store(SettingsPath);
        store.WriteText(SizeSection, "WinWidth", std::to_string(size.width()));
        store.WriteText(SizeSection, "WinHeight", std::to_string(size.height()));
    } catch (const std::exception&) {
        // Help stays usable without settings; the size is simply not kept.
    }
}

void HelpWindow::push(Page page) {
    // Showing the page that is already on screen adds no step Back would have to undo.
    if (m_position >= 0) {
        const Page& current = m_history[m_position];
        if (current.file && page.file && current.file->path() == page.file->path() &&
            current.key == page.key && current.message == page.message) {
            m_history[m_position] = std::move(page);
            display();
            return;
        }
    }
    m_history.resize(static_cast<std::size_t>(m_position + 1));
    m_history.push_back(std::move(page));
    m_position = static_cast<int>(m_history.size()) - 1;
    display();
}

void HelpWindow::goTo(int position) {
    if (position < 0 || position >= static_cast<int>(m_history.size()))
        return;
    m_position = position;
    display();
}

void HelpWindow::display() {
    const Page* page = m_position >= 0 ? &m_history[m_position] : nullptr;
    const HelpFile* file = page && page->file && page->file->isValid() ? page->file.get() : nullptr;
    const bool hasContents = file && file->contains(QStringLiteral("contents"));
    QString title = file && !file->title().isEmpty() ? file->title() : DefaultTitle;
    QString html;
    if (page && page->message.isEmpty()) {
        html = file->topicHtml(page->key);
        const QString topicTitle = file->topicTitle(page->key);
        if (!topicTitle.isEmpty() && page->key != QLatin1String("contents"))
            title = topicTitle + QStringLiteral(" \u2014 ") + title;
    } else if (page) {
        html = QStringLiteral("<h1>Help is not available</h1><p>%1</p>")
                   .arg(page->message.toHtmlEscaped());
        if (hasContents)
            html += QStringLiteral("<p><a href=\"#topic-contents\">Show the contents</a></p>");
    }
    m_ui->Topic->document()->setDefaultStyleSheet(
        file && !file->styleSheet().isEmpty() ? file->styleSheet() : FallbackStyle);
    m_ui->Topic->setHtml(html);
    setWindowTitle(title);
    m_ui->actContents->setEnabled(hasContents);
    m_ui->actBack->setEnabled(m_position > 0);
    m_ui->actForward->setEnabled(m_position + 1 < static_cast<int>(m_history.size()));
}

void HelpWindow::followLink(const QUrl& link) {
    if (link.scheme().isEmpty() && link.path().isEmpty() &&
        link.fragment().startsWith(TopicPrefix)) {
        if (m_position >= 0)
            showTopic(m_history[m_position].file, link.fragment().mid(TopicPrefix.size()));
        return;
    }
    if (link.scheme() == QLatin1String("http") || link.scheme() == QLatin1String("https"))
        QDesktopServices::openUrl(link);
}
