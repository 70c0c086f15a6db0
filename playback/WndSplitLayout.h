// The play area's grid: the template of split layouts (":/template/Default.xml") and the layout
// of the page's play windows by one of 21 split modes, or one window alone.
#pragma once

#include "playback/SplitMode.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <map>
#include <memory>
#include <vector>

class QGridLayout;
class QWidget;

// One cell of a layout: the id of the window placed there and its place in the grid.
struct ElementItem {
    int id = 0;
    int row = 0;
    int column = 0;
    int rowSpan = 0;
    int columnSpan = 0;
};

// One layout of the template, its cells in file order.
class ElementConfig {
public:
    QByteArray Name;
    int Type = -1;

    void AddItem(const ElementItem& item) { m_items.push_back(item); }
    int GetItemCount() const { return int(m_items.size()); }
    // Null for an index outside the cells.
    const ElementItem* GetItem(int index) const;

private:
    std::vector<ElementItem> m_items;
};

// The template's layouts by name; a later layout of the same name replaces an earlier one.
class CElementConfigMap {
public:
    void Insert(std::unique_ptr<ElementConfig> config);
    ElementConfig* Find(const QByteArray& name) const;
    void Erase(const QByteArray& name);
    void Clear() { m_configs.clear(); }
    int Count() const { return int(m_configs.size()); }

private:
    std::map<QByteArray, std::unique_ptr<ElementConfig>> m_configs;
};

class CWndSplitLayout {
public:
    static constexpr int kModeCount = 21;

    CWndSplitLayout();
    ~CWndSplitLayout();
    CWndSplitLayout(const CWndSplitLayout&) = delete;
    CWndSplitLayout& operator=(const CWndSplitLayout&) = delete;

    // Loads the template, takes the parent that carries the grid, holds the windows under the
    // ids 0, 1, ... in list order and lays them out in `mode`.
    void Init(const QString& fileName, QWidget* parent, const QList<QWidget*>& windows, int mode);
    // Fills `map` from the template file; false (the map unchanged) when the file cannot be
    // read or is not well-formed XML.
    static bool LoadTemplate(const QString& fileName, CElementConfigMap* map);

    // Lays the windows out in a mode 0-20; the same mode again changes nothing. A mode that has
    // no layout keeps the old grid and returns false, but is still taken as the current mode.
    bool SetSplitMode(int mode);
    bool SetSplitMode(SplitMode mode) { return SetSplitMode(int(mode)); }
    int GetSplitMode() const { return m_mode; }
    static QByteArray GetModeName(int mode);
    static QByteArray GetModeName(SplitMode mode) { return GetModeName(int(mode)); }
    bool BuildLayout(const QByteArray& name);

    // Shows the windows whose id is below the number after the last "-" of `name`, hides the rest.
    void ShowWndByCount(const QByteArray& name);
    // One window alone in the play area (not in mode 0); RestoreLayout brings the grid back.
    void ShowSingleWnd(QWidget* window);
    void ShowSingleWndById(int id);
    void RestoreLayout();
    bool IsSingleWnd() const { return m_single; }

    void AddWnd(QWidget* window);
    QWidget* GetWnd(int id) const;
    int GetWndCount() const { return int(m_windows.size()); }
    void ClearWnd() { m_windows.clear(); }
    void SetParentWidget(QWidget* parent);
    void HideAllWnd();

    // Lays out the named layout with the windows of `windows` (indexed by id), which become the
    // held windows; false when the template has no such layout.
    bool InitWithName(const QString& fileName, QWidget* parent, const QList<QWidget*>& windows, const QByteArray& name);
    bool BuildLayoutFor(QWidget* parent, const QList<QWidget*>& windows, const QByteArray& name);

    const CElementConfigMap& Templates() const { return *m_templates; }
    const ElementConfig* CurrentConfig() const { return m_current; }

private:
    QGridLayout* NewGrid();
    void ForgetCurrent();
    static void ApplyStretch(QGridLayout* grid, int type);

    std::map<int, QWidget*> m_windows;
    QWidget* m_parent = nullptr;
    const ElementConfig* m_current = nullptr;
    std::unique_ptr<CElementConfigMap> m_templates;
    bool m_single = false;
    int m_mode = int(SplitMode::None);
};
