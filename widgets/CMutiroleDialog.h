// A frame that serves either as an embedded widget or, shown through ExecDialog or ShowDialog,
// as the content of a base dialog created for it on demand. The frame owns that host dialog.
#pragma once

#include <QFrame>
#include <QString>

class CMutiroleHost;

class CMutiroleDialog : public QFrame {
    Q_OBJECT
public:
    explicit CMutiroleDialog(QWidget* parent = nullptr);
    ~CMutiroleDialog() override;

    int ExecDialog(QWidget* parent, const QString& title);
    void ShowDialog(QWidget* parent, const QString& title, int width, int height);
    virtual bool CloseDialog();

    void MoveDialog(int x, int y);
    int DialogHeight() const;
    int DialogWidth() const;
    // The host dialog while there is one, else null.
    QDialog* HostDialog() const;

public slots:
    void DialogCloseSlot();

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    friend class CMutiroleHost;
    void PrepareHost(QWidget* parent);

    CMutiroleHost* m_pHostDialog = nullptr;
    QWidget* m_pParentWidget;
};
