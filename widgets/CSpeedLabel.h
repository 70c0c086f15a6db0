// A small widget showing one line of text, such as a playback speed.
#pragma once

#include <QWidget>

class QGridLayout;
class QLabel;

class CSpeedLabel : public QWidget {
    Q_OBJECT
public:
    explicit CSpeedLabel(QWidget* parent = nullptr);
    ~CSpeedLabel() override;

    void SetText(const QString& text);
    void SetAlignment(Qt::Alignment alignment);
    QLabel* Label() const { return m_pLabel; }

private:
    QGridLayout* m_gridLayout;
    QLabel* m_pLabel;
};
