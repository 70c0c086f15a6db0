#include "widgets/CValidators.h"

#include "app/CommonUtil.h"

namespace {
const QString kAnyText = QStringLiteral(".*");

QValidator::State DropBeforeCursor(QString& input, int& pos)
{
    if (pos <= 0 || pos > input.size())
        return QValidator::Invalid;
    --pos;
    input.remove(pos, 1);
    return QValidator::Intermediate;
}
}  // namespace

CRegExpValidator::CRegExpValidator(int maxBytes, QObject* parent)
    : QRegularExpressionValidator(QRegularExpression(kAnyText), parent), m_maxBytes(maxBytes)
{
}

CRegExpValidator::CRegExpValidator(const QRegularExpression& rx, QObject* parent)
    : QRegularExpressionValidator(rx, parent), m_maxBytes(-1)
{
}

CRegExpValidator::CRegExpValidator(int maxBytes, const QRegularExpression& rx, QObject* parent)
    : QRegularExpressionValidator(rx, parent), m_maxBytes(maxBytes)
{
}

CRegExpValidator::~CRegExpValidator() = default;

QValidator::State CRegExpValidator::validate(QString& input, int& pos) const
{
    const QByteArray bytes = CCommonUtil::QStringToLocal(input);
    if (m_maxBytes != -1 && bytes.size() > m_maxBytes)
        return DropBeforeCursor(input, pos);
    if (regularExpression().pattern() == kAnyText)
        return QRegularExpressionValidator::validate(input, pos);
    if (!regularExpression().match(input).hasMatch())
        return Acceptable;
    return DropBeforeCursor(input, pos);
}

CIntValidator::CIntValidator(QObject* parent) : QIntValidator(parent) {}
CIntValidator::CIntValidator(int bottom, int top, QObject* parent) : QIntValidator(bottom, top, parent) {}
CIntValidator::~CIntValidator() = default;

QValidator::State CIntValidator::validate(QString& input, int& pos) const
{
    if (input.size() >= 2 && input.at(0) == QLatin1Char('0') && input.at(1) == QLatin1Char('0'))
        return Invalid;
    return QIntValidator::validate(input, pos);
}
