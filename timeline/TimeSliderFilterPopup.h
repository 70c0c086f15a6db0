// The record-type filter pop-up of one time-line row: an "All" box, one box per filter entry,
// OK and Cancel. OK reports the checked ids with SignalFilter and remembers them; Cancel, or a
// press outside, checks the remembered entries again and closes.
#pragma once

#include <QFrame>
#include <QList>
#include <QPair>

class QAbstractButton;
class QCheckBox;
class QFormLayout;
class CPushButton;

class CTimeSliderFilterPopup : public QFrame {
    Q_OBJECT

public:
    explicit CTimeSliderFilterPopup(QWidget* parent = nullptr);
    ~CTimeSliderFilterPopup() override;

    // Adds a checked box; the first "&" of the text is doubled so that it shows as itself.
    void AddFilterItem(const QIcon& icon, const QString& text, int id);
    // Removes every item box; the "All" box keeps its state.
    void ClearFilterItems();
    bool IsEmpty() const;

    QList<int> SavedIds() const { return m_saved; }
    QCheckBox* AllBox() const { return m_all; }
    QList<QCheckBox*> ItemBoxes() const;
    QAbstractButton* OkButton() const;
    QAbstractButton* CancelButton() const;

signals:
    void SignalFilter(QList<int> ids);

public slots:
    void OnClickOkBtn();
    void OnClickCancelBtn();
    void OnStateChanged(int state);
    void OnFilterStateChanged();

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    QFormLayout* m_form = nullptr;
    QCheckBox* m_all = nullptr;
    // Item boxes with their ids, in the order they were added: the ids are reported in it.
    QList<QPair<QCheckBox*, int>> m_items;
    QList<int> m_saved;
    CPushButton* m_ok = nullptr;
    CPushButton* m_cancel = nullptr;
};
