#include "ui/TypingLimit.h"

#include <QLineEdit>

#include <algorithm>

TypingLimit::TypingLimit(int limit, QLineEdit* edit)
    : QValidator(edit)
    , m_limit(limit)
    , m_edit(edit) {
    if (m_edit) {
        m_before = m_edit->text();
        connect(m_edit, &QLineEdit::textChanged, this,
                [this](const QString& text) { m_before = text; });
    }
}

QValidator::State TypingLimit::validate(QString& input, int& position) const {
    // The program sets a text with an empty undo history; the user's changes always add to it.
    if (input.size() <= m_limit || !m_edit || !m_edit->isUndoAvailable())
        return Acceptable;
    // The change as one replacement: what stands before and after it is common to both texts.
    const qsizetype shorter = std::min(input.size(), m_before.size());
    qsizetype head = 0;
    while (head < shorter && input[head] == m_before[head])
        ++head;
    qsizetype tail = 0;
    while (tail < shorter - head &&
           input[input.size() - 1 - tail] == m_before[m_before.size() - 1 - tail])
        ++tail;
    const qsizetype inserted = input.size() - head - tail;
    if (inserted == 0)
        return Acceptable; // only removes
    const qsizetype room = m_limit - (head + tail);
    if (room <= 0)
        return Invalid;
    // As much of a paste as fits, as an edit with a length limit does.
    input.remove(head + room, inserted - room);
    position = static_cast<int>(head + room);
    return Acceptable;
}
