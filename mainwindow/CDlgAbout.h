// The about box: the program's name, its version and a build number made from the build date.
#pragma once

#include "widgets/CBaseDialog.h"

class QGridLayout;
class QLabel;

class CDlgAbout : public CBaseDialog {
    Q_OBJECT
public:
    explicit CDlgAbout(QWidget* parent = nullptr);
    ~CDlgAbout() override;

    // The build date as yyyymmdd.
    static unsigned GetBuildDate();
    // The same for a date text "Mmm dd yyyy" (as the compiler writes it); 0 when the month is
    // not one of the twelve English abbreviations or the text is not of that form.
    static unsigned BuildDateNumber(const QString& text);
    // The build's date text, from the build system.
    static QString BuildDateText();

    QLabel* AboutLabel() const { return m_pLabelAbout; }

protected:
    void changeEvent(QEvent* e) override;

private:
    void Retranslate();

    QGridLayout* m_pGridLayout = nullptr;
    QLabel* m_pLabelAbout = nullptr;
};
