#pragma once

#include "platform/registry/Registry.h"

#include <QMargins>
#include <QObject>
#include <QRect>

#include <array>
#include <cstdint>
#include <string>

class QWidget;
class WindowFrame;

// Makes its owner window reopen where and as large as it was last closed: restores the four
// bounds from a registry key when told the window is built, stores them when it is destroyed.
//
// The bounds are the outer rectangle, frame included. Where the window manager tells the frame
// only once the window is mapped (X11), the bounds are applied at load as if the frame were
// empty and placed again, frame included, as soon as it is known, at the latest as the window
// first appears; without that second step a window would creep by one frame on every run.
//
// A restored window is kept within the available area of its screen: a size larger than that
// area shrinks to it, and a window so large or with its title bar off the area moves into it.
// An edge stored as 0 keeps the designed one, which is the frame's, whichever frame comes.
//
// Where the window system gives programs no screen positions (Wayland), the compositor places
// the window and the component restores and stores only its size, the client's: the frame there
// is the toolkit's own decoration, which a later X11 session would add to the window manager's.
// The stored position is left as it is, for the next session that can place the window.
//
// While the window is maximised or minimised the component stores its normal bounds, on
// purpose: the window reopens at the size it had before it was maximised, as users expect,
// instead of as a normal window filling the screen.
//
// The component is destroyed among the owner's children, after the owner's own destructors
// have run, when the owner can no longer be asked for its geometry. It therefore follows the
// owner's bounds from its move, resize, state, show and close events and stores the last ones
// seen, which are the bounds the window held when it was closed.
class TPersWindow : public QObject {
    Q_OBJECT
    Q_PROPERTY(std::string About READ About WRITE setAbout STORED false)
    Q_PROPERTY(bool Enabled READ Enabled WRITE setEnabled)
    Q_PROPERTY(std::string RegPath READ RegPath WRITE setRegPath)
    Q_PROPERTY(std::string RgNameHeight READ RgNameHeight WRITE setRgNameHeight)
    Q_PROPERTY(std::string RgNameLeft READ RgNameLeft WRITE setRgNameLeft)
    Q_PROPERTY(std::string RgNameTop READ RgNameTop WRITE setRgNameTop)
    Q_PROPERTY(std::string RgNameWidth READ RgNameWidth WRITE setRgNameWidth)
    Q_PROPERTY(bool SaveLeft READ SaveLeft WRITE setSaveLeft)
    Q_PROPERTY(bool SaveHeight READ SaveHeight WRITE setSaveHeight)
    Q_PROPERTY(bool SaveWidth READ SaveWidth WRITE setSaveWidth)
    Q_PROPERTY(bool SaveTop READ SaveTop WRITE setSaveTop)
    // Written through the property system alone: a setter of a flag named Set… would be setSet….
    Q_PROPERTY(bool SetLeft READ SetLeft MEMBER m_setLeft)
    Q_PROPERTY(bool SetHeight READ SetHeight MEMBER m_setHeight)
    Q_PROPERTY(bool SetWidth READ SetWidth MEMBER m_setWidth)
    Q_PROPERTY(bool SetTop READ SetTop MEMBER m_setTop)

public:
    // Joins the owner's children and makes the owner's native window exist.
    explicit TPersWindow(QWidget* owner);
    ~TPersWindow() override;

    QWidget* OwnerControl() const { return m_ownerControl; }

    // The after-load notification: the owner calls it once its designed contents are in
    // place, before its own creation handler.
    void loaded();

    const std::string& About() const { return m_about; }
    void setAbout(const std::string& about) { m_about = about; }
    bool Enabled() const { return m_enabled; }
    void setEnabled(bool enabled) { m_enabled = enabled; }
    const std::string& RegPath() const { return m_regPath; }
    void setRegPath(const std::string& path) { m_regPath = path; }
    const std::string& RgNameHeight() const { return m_rgNameHeight; }
    void setRgNameHeight(const std::string& name) { m_rgNameHeight = name; }
    const std::string& RgNameLeft() const { return m_rgNameLeft; }
    void setRgNameLeft(const std::string& name) { m_rgNameLeft = name; }
    const std::string& RgNameTop() const { return m_rgNameTop; }
    void setRgNameTop(const std::string& name) { m_rgNameTop = name; }
    const std::string& RgNameWidth() const { return m_rgNameWidth; }
    void setRgNameWidth(const std::string& name) { m_rgNameWidth = name; }
    bool SaveLeft() const { return m_saveLeft; }
    void setSaveLeft(bool save) { m_saveLeft = save; }
    bool SaveHeight() const { return m_saveHeight; }
    void setSaveHeight(bool save) { m_saveHeight = save; }
    bool SaveWidth() const { return m_saveWidth; }
    void setSaveWidth(bool save) { m_saveWidth = save; }
    bool SaveTop() const { return m_saveTop; }
    void setSaveTop(bool save) { m_saveTop = save; }
    bool SetLeft() const { return m_setLeft; }
    bool SetHeight() const { return m_setHeight; }
    bool SetWidth() const { return m_setWidth; }
    bool SetTop() const { return m_setTop; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

    // The key at RegPath below the root, created with every missing parent; RegNoKey when it
    // can be neither opened nor created. The caller releases it.
    platform::RegKey OpenPlacementKey() const;
    void SavePlacement();
    void RestorePlacement();

private:
    enum class Bound { Height, Left, Top, Width };

    // The owner's outer rectangle; while it is minimised or maximised, that of its normal
    // position.
    QRect ownerBounds() const;
    void applyBound(Bound bound, std::int32_t value);
    // The frame became known or changed before the window appeared: the restored bounds are
    // placed again around it.
    void frameChanged(const QMargins& margins, bool final);
    // Places the owner at the restored bounds, the designed ones where none was restored, in
    // this frame, kept on the screen.
    void place(const QMargins& margins);
    // The same for a window system without positions: the restored client size alone.
    void placeSizeOnly();

    QWidget* m_ownerControl;
    bool m_enabled = true;
    std::string m_regPath;
    std::string m_rgNameLeft;
    std::string m_rgNameHeight;
    std::string m_rgNameWidth;
    std::string m_rgNameTop;
    bool m_saveLeft = true;
    bool m_saveHeight = true;
    bool m_saveWidth = true;
    bool m_saveTop = true;
    bool m_setLeft = true;
    bool m_setHeight = true;
    bool m_setWidth = true;
    bool m_setTop = true;
    std::string m_about;
    QRect m_lastBounds;
    WindowFrame* m_frame = nullptr;
    std::array<std::int32_t, 4> m_restored{}; // by Bound; 0 where a bound was left alone
    QMargins m_restoredIn;                    // the frame the restored bounds were applied in
    QPoint m_designed;                        // the frame's position before restoring
    bool m_placing = false;                   // until the window first appears
    QMargins m_normalFrame;                   // last seen in the normal state
    bool m_sizeOnly = false;                  // positions are the compositor's
};
