#include "settings/TPersWindow.h"

#include "settings/WindowFrame.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace {

const std::string& nameOr(const std::string& name, const std::string& fallback) {
    return name.empty() ? fallback : name;
}

const std::string HeightName = "Height";
const std::string LeftName = "Left";
const std::string TopName = "Top";
const std::string WidthName = "Width";

// Keeps the arithmetic on stored bounds within what a window geometry can hold; keptOnScreen
// does the rest.
int clampToGeometry(std::int64_t value) {
    return static_cast<int>(std::clamp<std::int64_t>(value, -QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
}

// A REG_DWORD of up to 4 bytes fills the integer from its low end; a missing or longer value
// counts as 0, that is as absent.
std::int32_t readBound(platform::RegKey key, const std::string& name) {
    std::uint32_t type = 0;
    std::size_t size = 0;
    if (platform::regQueryValue(key, name, type, size) != 0 || size > 4)
        return 0;
    std::string data;
    if (platform::regReadValue(key, name, type, data) != 0 || data.size() > 4)
        return 0;
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < data.size(); ++i)
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(data[i])) << (8 * i);
    return static_cast<std::int32_t>(value);
}

bool isNormal(const QWidget* window) {
    return !(window->windowState() &
             (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
}

// A damaged or foreign stored size must not cost gigabytes of window, and a title bar off the
// screen leaves the window where the mouse cannot move it. The outer rectangle shrinks to the
// screen's available area, and when it had to, or when its title bar is not wholly within that
// area vertically with its middle inside horizontally, it moves into the area, keeping its size.
QRect keptOnScreen(QRect outer, int titleHeight, const QWidget* owner) {
    const QPoint title(outer.center().x(), outer.top() + titleHeight / 2);
    const QScreen* screen = QGuiApplication::screenAt(title);
    if (!screen)
        screen = owner->screen();
    const QRect available = screen ? screen->availableGeometry() : QRect();
    if (available.isEmpty())
        return outer;
    bool move = false;
    if (outer.width() > available.width()) {
        outer.setWidth(available.width());
        move = true;
    }
    if (outer.height() > available.height()) {
        outer.setHeight(available.height());
        move = true;
    }
    move = move || outer.top() < available.top() ||
           outer.top() + std::max(titleHeight, 1) - 1 > available.bottom() ||
           title.x() < available.left() || title.x() > available.right();
    if (move)
        outer.moveTo(
            std::clamp(outer.left(), available.left(), available.right() - outer.width() + 1),
            std::clamp(outer.top(), available.top(), available.bottom() - outer.height() + 1));
    return outer;
}

void writeBound(platform::RegKey key, const std::string& name, std::int32_t bound) {
    const auto value = static_cast<std::uint32_t>(bound);
    const char bytes[4] = {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF),
                           static_cast<char>((value >> 16) & 0xFF),
                           static_cast<char>((value >> 24) & 0xFF)};
    platform::regSetValue(key, name, platform::RegDword, std::string_view(bytes, sizeof bytes));
}

} // namespace

TPersWindow::TPersWindow(QWidget* owner)
    : QObject(owner)
    , m_ownerControl(owner) {
    if (!m_ownerControl)
        return;
    m_ownerControl->window()->winId();
    m_sizeOnly = QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    m_frame = new WindowFrame(m_ownerControl);
    connect(m_frame, &WindowFrame::changed, this, &TPersWindow::frameChanged);
    m_lastBounds = ownerBounds();
    m_ownerControl->installEventFilter(this);
}

TPersWindow::~TPersWindow() {
    if (m_enabled)
        SavePlacement();
}

void TPersWindow::loaded() {
    if (m_enabled)
        RestorePlacement();
}

bool TPersWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_ownerControl) {
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::WindowStateChange:
        case QEvent::Show:
        case QEvent::Close:
            if (isNormal(m_ownerControl))
                m_normalFrame = m_frame->margins();
            m_lastBounds = ownerBounds();
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

QRect TPersWindow::ownerBounds() const {
    const QRect normal = m_ownerControl->normalGeometry();
    if (m_sizeOnly)
        return QRect(QPoint(), isNormal(m_ownerControl) || !normal.isValid()
                                   ? m_ownerControl->size()
                                   : normal.size());
    if (isNormal(m_ownerControl) || !normal.isValid())
        return m_ownerControl->frameGeometry();
    // A maximised frame may lose its borders: the normal bounds take the normal frame.
    return normal.marginsAdded(m_normalFrame.isNull() ? m_frame->margins() : m_normalFrame);
}

platform::RegKey TPersWindow::OpenPlacementKey() const {
    platform::RegKey key = platform::RegNoKey;
    if (platform::regCreateKey(platform::RegCurrentUser, m_regPath, key) != 0)
        return platform::RegNoKey;
    return key;
}

void TPersWindow::SavePlacement() {
    if (m_regPath.empty() || !m_ownerControl)
        return;
    const platform::RegKey key = OpenPlacementKey();
    if (key == platform::RegNoKey)
        return;
    if (m_saveHeight)
        writeBound(key, nameOr(m_rgNameHeight, HeightName), m_lastBounds.height());
    if (m_saveLeft && !m_sizeOnly)
        writeBound(key, nameOr(m_rgNameLeft, LeftName), m_lastBounds.left());
    if (m_saveTop && !m_sizeOnly)
        writeBound(key, nameOr(m_rgNameTop, TopName), m_lastBounds.top());
    if (m_saveWidth)
        writeBound(key, nameOr(m_rgNameWidth, WidthName), m_lastBounds.width());
    platform::regCloseKey(key);
}

void TPersWindow::RestorePlacement() {
    if (!m_ownerControl)
        return;
    const platform::RegKey key = OpenPlacementKey();
    if (key == platform::RegNoKey)
        return;
    const struct {
        bool set;
        const std::string& name;
        Bound bound;
    } bounds[] = {
        {m_setHeight, nameOr(m_rgNameHeight, HeightName), Bound::Height},
        {m_setLeft, nameOr(m_rgNameLeft, LeftName), Bound::Left},
        {m_setTop, nameOr(m_rgNameTop, TopName), Bound::Top},
        {m_setWidth, nameOr(m_rgNameWidth, WidthName), Bound::Width},
    };
    m_restored = {};
    m_restoredIn = m_frame->margins();
    // The designed position is the frame's; once a bound is applied the client's is.
    m_designed = m_ownerControl->pos();
    for (const auto& entry : bounds) {
        if (!entry.set || (m_sizeOnly && (entry.bound == Bound::Left || entry.bound == Bound::Top)))
            continue;
        if (const std::int32_t value = readBound(key, entry.name); value != 0) {
            if (!m_sizeOnly)
                applyBound(entry.bound, value);
            m_restored[static_cast<std::size_t>(entry.bound)] = value;
            m_placing = true;
        }
    }
    platform::regCloseKey(key);
    if (m_placing && m_sizeOnly) {
        placeSizeOnly();
        m_placing = false;
    } else if (m_placing) {
        place(m_restoredIn);
    }
    m_lastBounds = ownerBounds();
}

void TPersWindow::frameChanged(const QMargins& margins, bool final) {
    if (m_placing && margins != m_restoredIn)
        place(margins);
    if (final) {
        m_placing = false;
        if (isNormal(m_ownerControl))
            m_normalFrame = margins;
    }
}

void TPersWindow::place(const QMargins& margins) {
    const auto restored = [this](Bound bound) {
        return std::int64_t{m_restored[static_cast<std::size_t>(bound)]};
    };
    const auto boundOr = [&](Bound bound, std::int64_t designed) {
        return clampToGeometry(restored(bound) != 0 ? restored(bound) : designed);
    };
    const QSize client = m_ownerControl->size();
    QRect outer(
        boundOr(Bound::Left, m_designed.x()), boundOr(Bound::Top, m_designed.y()),
        boundOr(Bound::Width, std::int64_t{client.width()} + margins.left() + margins.right()),
        boundOr(Bound::Height, std::int64_t{client.height()} + margins.top() + margins.bottom()));
    outer = keptOnScreen(outer, margins.top(), m_ownerControl);
    m_restoredIn = margins;
    // One change of geometry, so that the window manager sees a single request.
    m_ownerControl->setGeometry(outer.marginsRemoved(margins));
    m_lastBounds = outer;
}

void TPersWindow::placeSizeOnly() {
    const auto boundOr = [this](Bound bound, int designed) {
        const std::int32_t value = m_restored[static_cast<std::size_t>(bound)];
        return value != 0 ? clampToGeometry(value) : designed;
    };
    QSize client(boundOr(Bound::Width, m_ownerControl->width()),
                 boundOr(Bound::Height, m_ownerControl->height()));
    // The screen's size is known even where positions are not; a damaged size stays within it.
    if (const QScreen* screen = m_ownerControl->screen())
        if (const QSize available = screen->availableSize(); !available.isEmpty())
            client = client.boundedTo(available);
    m_ownerControl->resize(client.expandedTo(QSize(1, 1)));
}

// Moves or resizes the owner at once, keeping its other three bounds. Position and outer
// size include the window frame.
void TPersWindow::applyBound(Bound bound, std::int32_t value) {
    QWidget* owner = m_ownerControl;
    const QRect frame = owner->frameGeometry();
    const QRect client = owner->geometry();
    switch (bound) {
    case Bound::Height:
        owner->resize(client.width(),
                      clampToGeometry(std::int64_t{value} - (frame.height() - client.height())));
        break;
    // Moved by the client's position: a move by the frame's position before the frame is known
    // makes Qt's X11 backend pass through odd geometries once it learns the frame.
    case Bound::Left: {
        QRect moved = client;
        moved.moveLeft(clampToGeometry(std::int64_t{value} + client.left() - frame.left()));
        owner->setGeometry(moved);
        break;
    }
    case Bound::Top: {
        QRect moved = client;
        moved.moveTop(clampToGeometry(std::int64_t{value} + client.top() - frame.top()));
        owner->setGeometry(moved);
        break;
    }
    case Bound::Width:
        owner->resize(clampToGeometry(std::int64_t{value} - (frame.width() - client.width())),
                      client.height());
        break;
    }
}
