// A line edit for secret text: bullets instead of characters, and the keyboard shortcuts for
// paste, copy and cut refused.
#pragma once

#include <QLineEdit>

class CPasswordLineEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit CPasswordLineEdit(QWidget* parent = nullptr);
    ~CPasswordLineEdit() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
