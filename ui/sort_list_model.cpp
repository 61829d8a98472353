// The sortable list's columns, rows, header-click sorting and layout rules.
#include "ui/sort_list_model.h"

#include <algorithm>

#include "ui/cell_compare.h"

namespace zep {

namespace {

int WidthValue(std::string_view text) {
    long long value = 0;
    const std::size_t first = std::min(text.find_first_not_of(" \t"), text.size());
    for (std::size_t i = first; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = std::min<long long>(value * 10 + (text[i] - '0'), kMaxColumnWidth);
    }
    return static_cast<int>(value);
}

// A merge sort that stays inside the rows whatever the comparison answers: the comparison is
// chosen from one cell only, so it need not be a consistent order.
template <typename Less>
void MergeSort(std::vector<SortListModel::Row>& rows, Less less) {
    std::vector<SortListModel::Row> buffer(rows.size());
    for (std::size_t width = 1; width < rows.size(); width *= 2) {
        for (std::size_t left = 0; left < rows.size(); left += 2 * width) {
            const std::size_t middle = std::min(left + width, rows.size());
            const std::size_t right = std::min(left + 2 * width, rows.size());
            std::size_t i = left;
            std::size_t j = middle;
            std::size_t out = left;
            while (i < middle && j < right) {
                buffer[out++] = std::move(less(rows[j], rows[i]) ? rows[j++] : rows[i++]);
            }
            while (i < middle) {
                buffer[out++] = std::move(rows[i++]);
            }
            while (j < right) {
                buffer[out++] = std::move(rows[j++]);
            }
        }
        rows.swap(buffer);
    }
}

}  // namespace

std::vector<ListColumn> ParseColumnSpec(std::string_view spec) {
    std::vector<ListColumn> columns;
    std::size_t n = 0;
    while (n <= spec.size()) {
        const std::size_t comma = spec.find(',', n);
        if (comma == std::string_view::npos) {
            break;
        }
        std::size_t end = spec.find(';', comma + 1);
        if (end == std::string_view::npos) {
            end = spec.size();
        }
        columns.push_back({std::string(spec.substr(n, comma - n)),
                           WidthValue(spec.substr(comma + 1, end - comma - 1))});
        n = end + 1;
    }
    return columns;
}

std::optional<AppliedLayout> ApplyListLayout(const ListLayout& layout, int columnCount) {
    AppliedLayout applied;
    if (layout.sortColumn >= 0 && layout.sortColumn < columnCount) {
        applied.sortColumn = layout.sortColumn;
        applied.ascending = layout.ascending != 0;
    } else if (layout.sortColumn < 0) {
        applied.sortColumn = -1;
        applied.ascending = layout.ascending != 0;
    }
    if (!layout.itemCount || *layout.itemCount != columnCount) {
        return applied;
    }
    if (static_cast<int>(layout.widths.size()) != columnCount) {
        return std::nullopt;
    }
    applied.widths.emplace();
    for (const std::int32_t width : layout.widths) {
        applied.widths->push_back(std::clamp<std::int32_t>(width, 0, kMaxColumnWidth));
    }
    return applied;
}

bool SortListModel::AddColumns(std::string_view spec) {
    for (ListColumn& column : ParseColumnSpec(spec)) {
        m_columns.push_back(std::move(column));
    }
    return true;
}

const ListColumn& SortListModel::Column(int column) const {
    return m_columns.at(static_cast<std::size_t>(column));
}

int SortListModel::AddRow(std::vector<std::string> texts) {
    if (m_columns.empty()) {
        return -1;
    }
    texts.resize(m_columns.size());
    m_rows.push_back({std::move(texts), 0, false, false});
    return RowCount() - 1;
}

const std::string& SortListModel::Text(int row, int column) const {
    static const std::string kEmpty;
    if (row < 0 || row >= RowCount() || column < 0 || column >= ColumnCount()) {
        return kEmpty;
    }
    return m_rows[static_cast<std::size_t>(row)].texts[static_cast<std::size_t>(column)];
}

bool SortListModel::SetRowValue(int row, std::uint32_t value) {
    if (row < 0 || row >= RowCount()) {
        return false;
    }
    m_rows[static_cast<std::size_t>(row)].value = value;
    return true;
}

std::uint32_t SortListModel::RowValue(int row) const {
    return row >= 0 && row < RowCount() ? m_rows[static_cast<std::size_t>(row)].value : 0;
}

bool SortListModel::SetChecked(int row, bool checked) {
    if (row < 0 || row >= RowCount()) {
        return false;
    }
    m_rows[static_cast<std::size_t>(row)].checked = checked;
    return true;
}

bool SortListModel::Checked(int row) const {
    return row >= 0 && row < RowCount() && m_rows[static_cast<std::size_t>(row)].checked;
}

bool SortListModel::SetGreyed(int row, bool greyed) {
    if (row < 0 || row >= RowCount()) {
        return false;
    }
    m_rows[static_cast<std::size_t>(row)].greyed = greyed;
    return true;
}

bool SortListModel::Greyed(int row) const {
    return row >= 0 && row < RowCount() && m_rows[static_cast<std::size_t>(row)].greyed;
}

std::vector<std::uint32_t> SortListModel::CheckedValues() const {
    std::vector<std::uint32_t> values;
    for (const Row& row : m_rows) {
        if (row.checked) {
            values.push_back(row.value);
        }
    }
    return values;
}

void SortListModel::SortBy(int column, bool ascending) {
    m_sortColumn = column;
    m_ascending = ascending;
    m_arrowColumn = column;
    m_arrowAscending = ascending;
    if (column < 0 || column >= ColumnCount()) {
        return;
    }
    const auto c = static_cast<std::size_t>(column);
    MergeSort(m_rows, [c, ascending](const Row& a, const Row& b) {
        // The kind of comparison comes from the first row's cell in both directions.
        const CellOrder kind = CellOrderOf(a.texts[c]);
        return (ascending ? CompareCellsAs(kind, a.texts[c], b.texts[c])
                          : CompareCellsAs(kind, b.texts[c], a.texts[c])) < 0;
    });
}

void SortListModel::HeaderClick(int column) {
    SortBy(column, column == m_sortColumn ? !m_ascending : true);
}

ListLayout SortListModel::Layout(const std::vector<int>& widths) const {
    ListLayout layout;
    layout.sortColumn = m_sortColumn;
    layout.ascending = m_ascending ? 1 : 0;
    layout.itemCount = static_cast<std::int32_t>(widths.size());
    layout.widths.assign(widths.begin(), widths.end());
    return layout;
}

}  // namespace zep
