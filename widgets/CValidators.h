// Validators of line edits whose text is stored in the local encoding with a byte limit.
// CRegExpValidator: refuses text longer than the limit in bytes; any pattern other than ".*"
// names text that must not occur. CIntValidator: an int validator that refuses two leading zeros.
#pragma once

#include <QIntValidator>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

class CRegExpValidator : public QRegularExpressionValidator {
    Q_OBJECT
public:
    CRegExpValidator(int maxBytes, QObject* parent);
    CRegExpValidator(const QRegularExpression& rx, QObject* parent);
    CRegExpValidator(int maxBytes, const QRegularExpression& rx, QObject* parent);
    ~CRegExpValidator() override;

    int MaxBytes() const { return m_maxBytes; }
    // Over the limit, or holding the forbidden pattern: the character before the cursor goes
    // and the result is Intermediate. With the cursor at 0 there is none: the edit is Invalid
    // and the text is left as it is.
    State validate(QString& input, int& pos) const override;

private:
    int m_maxBytes;
};

class CIntValidator : public QIntValidator {
    Q_OBJECT
public:
    explicit CIntValidator(QObject* parent = nullptr);
    CIntValidator(int bottom, int top, QObject* parent = nullptr);
    ~CIntValidator() override;

    State validate(QString& input, int& pos) const override;
};
