#include "widgets/CPasswordLineEdit.h"

#include <QKeyEvent>

CPasswordLineEdit::CPasswordLineEdit(QWidget* parent) : QLineEdit(parent)
{
    setEchoMode(QLineEdit::Password);
}

CPasswordLineEdit::~CPasswordLineEdit() = default;

void CPasswordLineEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Copy) ||
        event->matches(QKeySequence::Cut)) {
        event->accept();  // dropped: it reaches neither the edit nor its parent
        return;
    }
    QLineEdit::keyPressEvent(event);
}
