// The date-only editor that the table delegate opens for a date cell: the kit's date-time editor
// with the date type, shown as "yyyy-MM-dd", starting at today.
#pragma once

#include "widgets/DateTimeEdit.h"

class CDateEdit : public CDateTimeEdit {
    Q_OBJECT
public:
    explicit CDateEdit(QWidget* parent = nullptr);
    ~CDateEdit() override;
};
