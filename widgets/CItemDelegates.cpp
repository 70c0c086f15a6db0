#include "widgets/CItemDelegates.h"

#include "widgets/CDateEdit.h"
#include "widgets/ItemRoles.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QPixmapCache>
#include <QStyle>

#include <algorithm>

namespace {
QPixmap Image(const QString& path)
{
    QPixmap pm;
    if (!QPixmapCache::find(path, &pm)) {
        pm.load(path);
        QPixmapCache::insert(path, pm);
    }
    return pm;
}

QStyle* StyleOf(const QWidget* w)
{
    return w ? w->style() : QApplication::style();
}
}  // namespace

// ---------------------------------------------------------------------------------------------
// CTableDelegate

CTableDelegate::CTableDelegate(QWidget* view, QObject* parent) : QStyledItemDelegate(parent), m_view(view) {}

CTableDelegate::~CTableDelegate() = default;

QSize CTableDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    if (size.isValid())
        size.setHeight(kRowHeight);
    return size;
}

void CTableDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QVariant iconCell = index.data(ItemRoles::kIconCell);
    if (iconCell.isValid()) {
        QStyleOptionViewItem opt(option);
        if (index.data(ItemRoles::kIconOffset).toBool())
            opt.rect.adjust(4, 2, 0, 0);
        const QIcon icon = qvariant_cast<QIcon>(index.data(Qt::DecorationRole));
        if (!icon.isNull()) {
            opt.icon = icon;
            QIcon::Mode mode = QIcon::Normal;
            if (!(option.state & QStyle::State_Enabled))
                mode = QIcon::Disabled;
            else if (option.state & QStyle::State_Selected)
                mode = QIcon::Selected;
            const QIcon::State state = (option.state & QStyle::State_Open) ? QIcon::On : QIcon::Off;
            opt.decorationSize = icon.actualSize(option.decorationSize, mode, state);
        }
        QStyle* style = StyleOf(m_view);
        style->drawPrimitive(QStyle::PE_PanelItemViewItem, &opt, painter, m_view);
        if (iconCell.toBool() && !opt.icon.isNull())
            style->drawItemPixmap(painter, opt.rect, Qt::AlignLeft | Qt::AlignVCenter,
                                  opt.icon.pixmap(opt.decorationSize, QIcon::Normal, QIcon::Off));
        return;
    }

    const QRect& r = option.rect;
    if (index.column() == 0 && r.isValid() && r.x() != 0 && option.showDecorationSelected) {
        const QRect margin(0, r.y(), r.x(), r.height());
        if (option.state & QStyle::State_Enabled) {
            if (option.state & QStyle::State_Selected)
                painter->drawPixmap(margin, Image(QStringLiteral(":/images/public/TreeView/ViewMidItem.png")));
            else if (option.state & QStyle::State_MouseOver)
                painter->fillRect(margin, QColor(251, 251, 194));
        }
        const QRect arrowBox(margin.right() - 12, margin.y(), 16, r.height());
        if (arrowBox.isValid()) {
            const QPixmap arrow =
                Image((option.state & QStyle::State_Open) ? QStringLiteral(":/images/button/down-arrow.png")
                                                          : QStringLiteral(":/images/button/config_right-arrow.png"));
            if (!arrow.isNull())
                painter->drawPixmap(arrowBox, arrow);
        }
    }
    QStyledItemDelegate::paint(painter, option, index);
}

QWidget* CTableDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                      const QModelIndex& index) const
{
    const QVariant choicesData = index.data(ItemRoles::kChoices);
    if (choicesData.isValid()) {
        auto* box = new QComboBox(parent);
        QStringList choices = choicesData.toStringList();
        const QString text = index.data(Qt::DisplayRole).toString();
        box->addItems(choices);
        const int found = box->findText(text, Qt::MatchCaseSensitive);
        if (found < 0) {
            // The cell's own text is always offered, and stays among its choices.
            box->addItem(text);
            choices.append(text);
            if (auto* model = const_cast<QAbstractItemModel*>(index.model()))
                model->setData(index, choices, ItemRoles::kChoices);
            box->setCurrentIndex(box->count() - 1);
        } else {
            box->setCurrentIndex(found);
        }
        box->setFixedSize(option.rect.size());
        return box;
    }
    if (QWidget* dateEditor = CreateDateEditor(parent, index))
        return dateEditor;
    return QStyledItemDelegate::createEditor(parent, option, index);
}

void CTableDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    if (index.data(ItemRoles::kChoices).isValid()) {
        if (auto* box = qobject_cast<QComboBox*>(editor))
            box->setCurrentIndex(box->findText(index.data(Qt::DisplayRole).toString(), Qt::MatchCaseSensitive));
        return;
    }
    if (SetDateEditorData(editor, index))
        return;
    QStyledItemDelegate::setEditorData(editor, index);
}

void CTableDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    if (index.data(ItemRoles::kChoices).isValid()) {
        if (auto* box = qobject_cast<QComboBox*>(editor)) {
            model->setData(index, box->currentIndex(), ItemRoles::kChosenIndex);
            model->setData(index, box->currentText(), Qt::EditRole);
        }
        return;
    }
    if (SetDateModelData(editor, model, index))
        return;
    QStyledItemDelegate::setModelData(editor, model, index);
}

QWidget* CTableDelegate::CreateDateEditor(QWidget* parent, const QModelIndex& index) const
{
    const QVariant dateTime = index.data(ItemRoles::kDateTime);
    if (dateTime.isValid()) {
        auto* editor = new CDateTimeEdit(parent);
        editor->setDate(dateTime.toDateTime().date());
        return editor;
    }
    const QVariant date = index.data(ItemRoles::kDate);
    if (date.isValid()) {
        auto* editor = new CDateEdit(parent);
        editor->setDate(date.toDate());
        return editor;
    }
    return nullptr;
}

bool CTableDelegate::SetDateEditorData(QWidget* editor, const QModelIndex& index) const
{
    auto* edit = qobject_cast<QDateTimeEdit*>(editor);
    const QVariant dateTime = index.data(ItemRoles::kDateTime);
    if (dateTime.isValid()) {
        if (edit)
            edit->setDateTime(dateTime.toDateTime());
        return true;
    }
    const QVariant date = index.data(ItemRoles::kDate);
    if (date.isValid()) {
        if (edit)
            edit->setDate(date.toDate());
        return true;
    }
    return false;
}

bool CTableDelegate::SetDateModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    auto* edit = qobject_cast<QDateTimeEdit*>(editor);
    const QString format = QStringLiteral("yyyy-MM-dd");
    if (index.data(ItemRoles::kDateTime).isValid()) {
        if (edit) {
            model->setData(index, edit->dateTime(), ItemRoles::kDateTime);
            model->setData(index, edit->date().toString(format), Qt::EditRole);
        }
        return true;
    }
    if (index.data(ItemRoles::kDate).isValid()) {
        if (edit) {
            model->setData(index, edit->date(), ItemRoles::kDate);
            model->setData(index, edit->date().toString(format), Qt::EditRole);
        }
        return true;
    }
    return false;
}

// ---------------------------------------------------------------------------------------------
// CTreeViewDelegate

CTreeViewDelegate::CTreeViewDelegate(QWidget* view, QObject* parent) : CTableDelegate(view, parent) {}

CTreeViewDelegate::~CTreeViewDelegate() = default;

QPoint CTreeViewDelegate::ArrowPoint(const QRect& cell, const QSize& arrow)
{
    return {cell.width() - arrow.width(), cell.y() + (cell.height() - arrow.height()) / 2};
}

QString CTreeViewDelegate::GroupRowText(const QString& text, const QFontMetrics& metrics, const QRect& textRect,
                                        int arrowX, int margin)
{
    const int room = std::min(arrowX, textRect.right() + 1 - margin) - (textRect.left() + margin);
    if (metrics.horizontalAdvance(text) <= room)
        return text;
    return metrics.elidedText(text, Qt::ElideRight, std::max(0, room));
}

void CTreeViewDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    if (index.parent().isValid()) {
        if (option.state & QStyle::State_Selected)
            painter->drawPixmap(option.rect, Image(QStringLiteral(":/images/public/TreeView/TreeSelect.png")));
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    painter->drawPixmap(option.rect, Image(QStringLiteral(":/images/public/TreeView/TreeNormal.png")));
    const QPixmap arrow =
        Image((option.state & QStyle::State_Open) ? QStringLiteral(":/images/public/TreeView/TreeArrowDown.png")
                                                  : QStringLiteral(":/images/public/TreeView/TreeArrowUp.png"));
    const QPoint at = ArrowPoint(option.rect, arrow.size());
    if (option.state & QStyle::State_MouseOver)
        painter->drawPixmap(at, Image(QStringLiteral(":/images/public/TreeView/TreeArrowHover.png")));
    painter->drawPixmap(at, arrow);

    // The cell as the base paints it, with the text kept clear of the arrow.
    QStyleOptionViewItem opt(option);
    initStyleOption(&opt, index);
    const QWidget* widget = option.widget ? option.widget : m_view;
    QStyle* style = StyleOf(widget);
    const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget);
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    opt.text = GroupRowText(opt.text, QFontMetrics(opt.font), textRect, at.x(), margin);
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
}
