#include "ui/TypingLimit.h"

#include <QLineEdit>

TypingLimit::TypingLimit(int limit, QLineEdit* edit)
    : QValidator(edit)
    , m_limit(limit)
    , m_edit(edit) {}

QValidator::State TypingLimit::validate(QString& input, int& /*position*/) const {
    // The edit still holds the text before this change.
    const qsizetype before = m_edit ? m_edit->text().size() : 0;
    return input.size() <= m_limit || input.size() < before ? Acceptable : Invalid;
}
