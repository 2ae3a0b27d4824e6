#include "app/MessageLayout.h"

namespace {
const QString s_alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");

constexpr int IconSize = 32;

// Dialog units of the layout.
constexpr int HorizontalMargin = 8;
constexpr int VerticalMargin = 8;
constexpr int HorizontalSpacing = 10;
constexpr int VerticalSpacing = 10;
constexpr int ButtonWidth = 50;
constexpr int ButtonHeight = 14;
constexpr int ButtonSpacing = 4;

// units * base / divisor, rounded to the nearest pixel (halves away from zero).
int toPixels(int units, int base, int divisor) {
    const long long product = static_cast<long long>(units) * base;
    const long long half = divisor / 2;
    return static_cast<int>(product >= 0 ? (product + half) / divisor
                                         : -((-product + half) / divisor));
}
} // namespace

MessageLayout computeMessageLayout(const QFontMetrics& metrics, QSize screenSize,
                                   const QString& text, bool hasIcon, int buttonCount) {
    MessageLayout layout;
    layout.baseUnitX = metrics.horizontalAdvance(s_alphabet) / 52;
    layout.baseUnitY = metrics.height();
    const auto horizontal = [&](int units) { return toPixels(units, layout.baseUnitX, 4); };
    const auto vertical = [&](int units) { return toPixels(units, layout.baseUnitY, 8); };

    const int horizontalMargin = horizontal(HorizontalMargin);
    const int verticalMargin = vertical(VerticalMargin);
    const int horizontalSpacing = horizontal(HorizontalSpacing);
    const int verticalSpacing = vertical(VerticalSpacing);
    const int buttonWidth = horizontal(ButtonWidth);
    const int buttonHeight = vertical(ButtonHeight);
    const int buttonSpacing = horizontal(ButtonSpacing);

    const QRect measured = metrics.boundingRect(QRect(0, 0, screenSize.width() / 2, 0),
                                                Qt::TextWordWrap | Qt::AlignLeft, text);
    const int textWidth = measured.width();
    const int textHeight = measured.height();
    layout.textSize = QSize(textWidth, textHeight);

    const int blockWidth = hasIcon ? textWidth + horizontalSpacing + IconSize : textWidth;
    const int blockHeight = hasIcon ? qMax(textHeight, IconSize) : textHeight;
    const int rowWidth =
        buttonCount > 0 ? buttonCount * buttonWidth + (buttonCount - 1) * buttonSpacing : 0;

    const int clientWidth = qMax(blockWidth, rowWidth) + 2 * horizontalMargin;
    layout.clientSize =
        QSize(clientWidth, blockHeight + buttonHeight + verticalSpacing + 2 * verticalMargin);

    if (hasIcon)
        layout.iconRect = QRect(horizontalMargin, verticalMargin, IconSize, IconSize);
    layout.textRect =
        QRect(blockWidth - textWidth + horizontalMargin, verticalMargin, textWidth, textHeight);

    int left = (clientWidth - rowWidth) / 2;
    const int top = blockHeight + verticalMargin + verticalSpacing;
    for (int i = 0; i < buttonCount; ++i) {
        layout.buttonRects.append(QRect(left, top, buttonWidth, buttonHeight));
        left += buttonWidth + buttonSpacing;
    }
    return layout;
}

QPoint centredWindowPosition(const QRect& screen, QSize outerSize) {
    return QPoint(screen.x() + screen.width() / 2 - outerSize.width() / 2,
                  screen.y() + screen.height() / 2 - outerSize.height() / 2);
}
