#pragma once

#include <QPointer>
#include <QString>
#include <QValidator>

class QLineEdit;

// Lets the user type or paste an edit's text up to a length while a text the program sets stays
// whole: an edit that already holds more can still be shortened, never lengthened.
class TypingLimit : public QValidator {
    Q_OBJECT

public:
    TypingLimit(int limit, QLineEdit* edit);

    // Cuts an insertion to what still fits and refuses one of which nothing fits.
    State validate(QString& input, int& position) const override;

private:
    int m_limit;
    QPointer<QLineEdit> m_edit;
    // The edit's text before the change being validated: the edit already holds the new one.
    QString m_before;
};
