// The kit's combo boxes: CComboBox keeps its tool tip on its current text; TreeBox shows a
// tree as its pop-up; CScheduleComBoBox replaces its pop-up by a signal.
#pragma once

#include <QComboBox>

class QTreeView;

class CComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit CComboBox(QWidget* parent = nullptr);
    ~CComboBox() override;

public slots:
    void OnTextChanged(const QString& strText);

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

class TreeBox : public CComboBox {
public:
    explicit TreeBox(QWidget* parent = nullptr);
    ~TreeBox() override;

    QTreeView* TreeView() const { return m_treeView; }
    void ExpandAll();

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    QTreeView* m_treeView;
};

class CScheduleComBoBox : public QComboBox {
    Q_OBJECT
public:
    explicit CScheduleComBoBox(QWidget* parent = nullptr);
    ~CScheduleComBoBox() override;

    void showPopup() override;

signals:
    void ShowDialog();
};
