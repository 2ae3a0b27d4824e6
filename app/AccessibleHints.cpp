#include "app/AccessibleHints.h"

#include "app/Application.h"
#include "platform/text/DisplayText.h"

#include <QWidget>

void describeControlsByHints(QWidget* root) {
    const QList<QWidget*> controls = root->findChildren<QWidget*>();
    for (QWidget* control : controls) {
        const QString hint = control->property("Hint").toString();
        if (hint.isEmpty() || !control->accessibleDescription().isEmpty())
            continue;
        control->setAccessibleDescription(
            platform::displayText(Application::longHint(platform::typedText(hint))));
    }
}
