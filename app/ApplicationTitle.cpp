#include "app/ApplicationTitle.h"

namespace {
QString& title() {
    static QString s_title;
    return s_title;
}
} // namespace

QString applicationTitle() {
    return title();
}

void setApplicationTitle(const QString& newTitle) {
    title() = newTitle;
}
