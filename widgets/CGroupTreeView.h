// The channel tree: groups (top-level rows) and streams (their children) with check boxes,
// multiple selection kept inside one group, and a drag of a stream or a group as row numbers.
#pragma once

#include "widgets/CTreeView.h"

#include <QByteArray>
#include <QString>

#include <functional>

// The drag payload: signed 32-bit little-endian integers end to end, the group's row and then,
// for a dragged stream, the stream's row within the group. A negative value is left out.
namespace GroupStreamPayload {

struct Rows {
    int group = -1;
    int stream = -1;  // -1 for a dragged group
};

void AppendInt(QByteArray* bytes, int value);
QByteArray Encode(int first, int second);
// Reads a payload of exactly 4 or 8 bytes with non-negative rows; false for anything else.
bool Decode(const QByteArray& bytes, Rows* rows);
// The same, and the rows must exist in a model of `groupCount` groups whose group g has
// `streamCount(g)` streams.
bool DecodeChecked(const QByteArray& bytes, int groupCount, const std::function<int(int)>& streamCount, Rows* rows);

}  // namespace GroupStreamPayload

class CGroupTreeView : public CTreeView {
    Q_OBJECT
public:
    explicit CGroupTreeView(QWidget* parent = nullptr);
    ~CGroupTreeView() override;

    void SetDragFlag(bool dragGroups) { m_dragGroups = dragGroups; }
    bool DragFlag() const { return m_dragGroups; }
    void SetMimeType(const QString& mimeType) { m_mimeType = mimeType; }
    QString MimeType() const { return m_mimeType; }
    void SetDragEnabled(bool enabled) { setDragEnabled(enabled); }
    void SetMultiSelection(bool multi);

    // The payload a drag of `index` carries, and whether such a drag starts at all.
    bool PayloadFor(const QModelIndex& index, QByteArray* payload) const;

signals:
    void ItemRightClicked(QModelIndex& miItem);
    void ItemDoubleClicked(QModelIndex& miItem);
    void SignalDrop(int iChild, int iParent);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void Remember(const QPoint& pos, const QModelIndex& index);

    QPoint m_pressPos;
    QPersistentModelIndex m_pressedIndex;
    bool m_dragGroups = true;
    QString m_mimeType;
};
