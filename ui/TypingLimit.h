#pragma once

#include <QPointer>
#include <QValidator>

class QLineEdit;

// Lets the user type an edit's text up to a length while a text the program sets stays whole:
// an edit that already holds more can still be shortened, never lengthened.
class TypingLimit : public QValidator {
    Q_OBJECT

public:
    TypingLimit(int limit, QLineEdit* edit);

    State validate(QString& input, int& position) const override;

private:
    int m_limit;
    QPointer<QLineEdit> m_edit;
};
