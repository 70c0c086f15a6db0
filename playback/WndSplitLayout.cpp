#include "playback/WndSplitLayout.h"

#include "playback/XmlHelper.h"

#include <QGridLayout>
#include <QLayout>
#include <QWidget>

namespace {

const char* const kModeNames[CWndSplitLayout::kModeCount] = {
    "1x1-1",  "2x2-4",  "3x3-6",  "3x3-9",  "4x4-8",  "4x4-10", "4x4-13", "4x4-16", "5x5-10", "5x5-13", "5x5-14",
    "5x5-17", "5x5-19", "5x5-22", "5x5-25", "7x7-32", "8x8-64", "1x1-EX", "2x2-EX", "3x3-EX", "4x4-EX"};

// The windows are not owned by the layout: removing it keeps them as children of the parent.
void DeleteLayout(QWidget* parent)
{
    if (QLayout* old = parent->layout()) {
        while (QLayoutItem* item = old->takeAt(0))
            delete item;  // a widget item only: the widget stays
        delete old;
    }
}

// A template layout's "Type": the size of its square grid, or one of the wide-screen grids.
enum class TemplateType : int {
    Wide2x2 = 1000,  // 3 x 7
    Wide3x3 = 2000,  // 3 x 4
    Wide4x4 = 3000,  // 6 x 8
};

int CountOfName(const QByteArray& name)
{
    const QByteArray last = name.mid(name.lastIndexOf('-') + 1);
    bool ok = false;
    const int count = last.toInt(&ok);
    return ok ? count : 0;
}

}  // namespace

const ElementItem* ElementConfig::GetItem(int index) const
{
    if (index < 0 || index >= GetItemCount())
        return nullptr;
    return &m_items[size_t(index)];
}

void CElementConfigMap::Insert(std::unique_ptr<ElementConfig> config)
{
    if (!config)
        return;
    const QByteArray name = config->Name;
    m_configs[name] = std::move(config);
}

ElementConfig* CElementConfigMap::Find(const QByteArray& name) const
{
    const auto it = m_configs.find(name);
    return it == m_configs.end() ? nullptr : it->second.get();
}

void CElementConfigMap::Erase(const QByteArray& name)
{
    m_configs.erase(name);
}

CWndSplitLayout::CWndSplitLayout() : m_templates(std::make_unique<CElementConfigMap>()) {}

CWndSplitLayout::~CWndSplitLayout() = default;

void CWndSplitLayout::Init(const QString& fileName, QWidget* parent, const QList<QWidget*>& windows, int mode)
{
    if (LoadTemplate(fileName, m_templates.get()))
        ForgetCurrent();
    SetParentWidget(parent);
    ClearWnd();
    for (QWidget* window : windows)
        AddWnd(window);
    (void)SetSplitMode(mode);
}

bool CWndSplitLayout::LoadTemplate(const QString& fileName, CElementConfigMap* map)
{
    CXmlHelper root;
    if (!map || !root.LoadFile(fileName))
        return false;
    map->Clear();
    for (int i = 0, n = root.GetChildCount(); i < n; ++i) {
        const CXmlHelper record = root.GetChildAt(i);
        if (record.GetTagName() != "ElementConfig")
            continue;
        auto config = std::make_unique<ElementConfig>();
        (void)record.FindChild("Name").GetText(config->Name);
        // A missing or empty "Type" reads as -1, a text that is no number as 0.
        (void)record.FindChild("Type").GetText(config->Type);
        const CXmlHelper items = record.FindChild("ElementItems");
        for (int k = 0, cells = items.GetChildCount(); k < cells; ++k) {
            const CXmlHelper cell = items.GetChildAt(k);
            ElementItem item;
            (void)cell.GetAttribute("id", item.id);
            (void)cell.GetAttribute("row", item.row);
            (void)cell.GetAttribute("column", item.column);
            (void)cell.GetAttribute("rowSpan", item.rowSpan);
            (void)cell.GetAttribute("columnSpan", item.columnSpan);
            config->AddItem(item);
        }
        map->Insert(std::move(config));
    }
    return true;
}

// A reload deletes the records: the current one must not be used after it, and the next
// SetSplitMode must build from the new template.
void CWndSplitLayout::ForgetCurrent()
{
    m_current = nullptr;
    m_mode = int(SplitMode::None);
}

QByteArray CWndSplitLayout::GetModeName(int mode)
{
    if (mode < 0 || mode >= kModeCount)
        return {};
    return QByteArray(kModeNames[mode]);
}

bool CWndSplitLayout::SetSplitMode(int mode)
{
    if (mode == m_mode)
        return true;
    m_mode = mode;
    return BuildLayout(GetModeName(mode));
}

QGridLayout* CWndSplitLayout::NewGrid()
{
    DeleteLayout(m_parent);
    auto* grid = new QGridLayout(m_parent);  // owned by the parent
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    return grid;
}

void CWndSplitLayout::ApplyStretch(QGridLayout* grid, int type)
{
    int rows = type;
    int columns = type;
    switch (TemplateType(type)) {
    case TemplateType::Wide2x2:
        rows = 3;
        columns = 7;
        break;
    case TemplateType::Wide3x3:
        rows = 3;
        columns = 4;
        break;
    case TemplateType::Wide4x4:
        rows = 6;
        columns = 8;
        break;
    default:
        // A layout needs no more rows than the largest template; a hostile Type must not make
        // the grid allocate millions of rows.
        if (rows > 64)
            rows = columns = 64;
        break;
    }
    for (int k = 0; k < rows; ++k)
        grid->setRowStretch(k, 1);
    for (int k = 0; k < columns; ++k)
        grid->setColumnStretch(k, 1);
}

// Places a cell's window in the grid. A template is trusted no further than this: a cell outside
// any sane grid (the layout would allocate without bound) is left out, a span below 1 counts as 1.
static bool PlaceCell(QGridLayout* grid, QWidget* window, const ElementItem& item)
{
    constexpr int kMaxGrid = 64;
    if (item.row < 0 || item.column < 0 || item.row >= kMaxGrid || item.column >= kMaxGrid)
        return false;
    const int rowSpan = qBound(1, item.rowSpan, kMaxGrid - item.row);
    const int columnSpan = qBound(1, item.columnSpan, kMaxGrid - item.column);
    grid->addWidget(window, item.row, item.column, rowSpan, columnSpan);
    window->show();
    return true;
}

bool CWndSplitLayout::BuildLayout(const QByteArray& name)
{
    const ElementConfig* config = m_templates->Find(name);
    if (!config || !m_parent)
        return false;
    ShowWndByCount(config->Name);
    QGridLayout* grid = NewGrid();
    for (int i = 0; i < config->GetItemCount(); ++i) {
        const ElementItem* item = config->GetItem(i);
        QWidget* window = GetWnd(item->id);
        if (!window)
            break;
        (void)PlaceCell(grid, window, *item);
    }
    ApplyStretch(grid, config->Type);
    m_current = config;
    return true;
}

void CWndSplitLayout::ShowWndByCount(const QByteArray& name)
{
    const int count = CountOfName(name);
    for (const auto& [id, window] : m_windows)
        window->setVisible(id < count);
}

void CWndSplitLayout::ShowSingleWnd(QWidget* window)
{
    if (m_mode == int(SplitMode::Grid1x1_1) || !window || !m_parent)
        return;
    QGridLayout* grid = NewGrid();
    HideAllWnd();
    grid->addWidget(window, 0, 0, 1, 1);
    window->show();
    m_single = true;
}

void CWndSplitLayout::ShowSingleWndById(int id)
{
    if (QWidget* window = GetWnd(id))
        ShowSingleWnd(window);
}

void CWndSplitLayout::RestoreLayout()
{
    if (m_mode == int(SplitMode::Grid1x1_1) || !m_parent)
        return;
    QGridLayout* grid = NewGrid();
    HideAllWnd();
    if (m_current) {
        for (int i = 0; i < m_current->GetItemCount(); ++i) {
            const ElementItem* item = m_current->GetItem(i);
            QWidget* window = GetWnd(item->id);
            if (window)
                (void)PlaceCell(grid, window, *item);
        }
        ApplyStretch(grid, m_current->Type);
    }
    m_single = false;
}

void CWndSplitLayout::AddWnd(QWidget* window)
{
    const int id = GetWndCount();
    m_windows[id] = window;
}

QWidget* CWndSplitLayout::GetWnd(int id) const
{
    const auto it = m_windows.find(id);
    return it == m_windows.end() ? nullptr : it->second;
}

void CWndSplitLayout::SetParentWidget(QWidget* parent)
{
    if (parent != m_parent)
        m_parent = parent;
}

void CWndSplitLayout::HideAllWnd()
{
    for (const auto& entry : m_windows)
        entry.second->hide();
}

bool CWndSplitLayout::InitWithName(const QString& fileName, QWidget* parent, const QList<QWidget*>& windows,
                                   const QByteArray& name)
{
    if (LoadTemplate(fileName, m_templates.get()))
        ForgetCurrent();
    return BuildLayoutFor(parent, windows, name);
}

bool CWndSplitLayout::BuildLayoutFor(QWidget* parent, const QList<QWidget*>& windows, const QByteArray& name)
{
    const ElementConfig* config = m_templates->Find(name);
    if (!config || !parent)
        return false;
    SetParentWidget(parent);
    ClearWnd();
    QGridLayout* grid = NewGrid();
    for (int i = 0; i < config->GetItemCount(); ++i) {
        const ElementItem* item = config->GetItem(i);
        QWidget* window = item->id >= 0 && item->id < windows.size() ? windows[item->id] : nullptr;
        if (!window)
            break;
        if (PlaceCell(grid, window, *item))
            m_windows[item->id] = window;
    }
    ApplyStretch(grid, config->Type);
    m_current = config;
    return true;
}
