#pragma once
// The sortable list: a report-style list with check boxes in its first column that sorts by
// number, date or text when a header is clicked, draws the sort arrow into its header, and
// keeps its column widths and sort order in a layout file.
#include <QHeaderView>
#include <QTableView>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "ui/sort_list_model.h"

namespace zep {

class SortListItems;

// The list's header: its items draw their text and, in the sort column, the arrow.
class SortHeaderView : public QHeaderView {
    Q_OBJECT
public:
    explicit SortHeaderView(const SortListModel& list, QWidget* parent = nullptr);

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    const SortListModel& m_list;
};

class SortListWidget : public QTableView {
    Q_OBJECT
public:
    explicit SortListWidget(QWidget* parent = nullptr);

    // Columns from a column list such as ",25;Тип прибора,90".
    bool AddColumns(std::string_view spec);
    // One text per column, column 0 first; returns the row's index (-1 without columns).
    int AddRow(const std::vector<std::string>& texts);
    bool SetRowValue(int row, std::uint32_t value);
    // Draws the row in the grey of inactive text (an archive imported before).
    void SetRowGreyed(int row);
    std::uint32_t GetRowValue(int row) const { return m_list.RowValue(row); }
    void DeleteAllRows();
    void SortBy(int column, bool ascending);
    void Resort() { SortBy(m_list.SortColumn(), m_list.Ascending()); }
    // A missing or unusable file leaves the columns and the order as they are.
    void LoadLayout(const std::filesystem::path& file);
    void SaveLayout(const std::filesystem::path& file) const;
    // Values of the checked rows, in display order.
    std::vector<std::uint32_t> CheckedValues() const { return m_list.CheckedValues(); }
    void SetChecked(int row, bool checked);

    const SortListModel& Model() const { return m_list; }

private:
    SortListModel m_list;
    SortListItems* m_items = nullptr;
    SortHeaderView* m_header = nullptr;
};

}  // namespace zep
