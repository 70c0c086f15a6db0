// A combo box holding a file or folder path: its pop-up is the program's file dialog in one of
// four modes, and the chosen path replaces the box's content and becomes its tool tip.
#pragma once

#include <QComboBox>
#include <QString>

class CPathComboBox : public QComboBox {
    Q_OBJECT
public:
    enum Mode { None = -1, SaveFile = 0, OpenFile = 1, Directory = 2, OpenFiles = 3 };
    static constexpr int kArrow_px = 23;

    explicit CPathComboBox(QWidget* parent = nullptr);
    ~CPathComboBox() override;

    void SetPathMode(int mode);
    int PathMode() const { return m_nMode; }
    void SetCaption(const QString& caption) { m_strCaption = caption; }
    QString Caption() const { return m_strCaption; }
    void SetFileFilter(const QString& filter) { m_strFilter = filter; }

    void showPopup() override;

    // The suffix a save filter asks for: from its first "*.ext" pattern (".xml" of "XML(*.xml)",
    // ".png" of "Image Files(*.png *.jpg)"); empty when it has none.
    static QString SuffixOfFilter(const QString& filter);
    // `name` with the filter's suffix appended unless it already ends with it (any case).
    static QString WithSuffix(const QString& name, const QString& filter);

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void SetOnlyEntry(const QString& path, bool tip);

    int m_nMode = None;
    QString m_strCaption;
    QString m_strFilter;
};
