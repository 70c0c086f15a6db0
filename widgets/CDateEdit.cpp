#include "widgets/CDateEdit.h"

CDateEdit::CDateEdit(QWidget* parent) : CDateTimeEdit(QVariant(QDate::currentDate()), QMetaType::QDate, parent)
{
    // With the date type a time in the format would show an editable but unused 00:00:00.
    setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
}

CDateEdit::~CDateEdit() = default;
