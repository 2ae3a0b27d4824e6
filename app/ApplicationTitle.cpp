#include "app/ApplicationTitle.h"

namespace {
QString& title() {
    static QString s_title;
    return s_title;
}
} // namespace

QString ApplicationTitle() {
    return title();
}

void SetApplicationTitle(const QString& newTitle) {
    title() = newTitle;
}
