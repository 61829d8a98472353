// The Qt sortable list and its header with the sort arrow, over the ui list model.
#include "window/qt/sort_list_widget.h"

#include <QPainter>
#include <QStyleOptionHeader>

#include "ui/header_arrow.h"
#include "window/qt/sort_list_items.h"

namespace zep {

SortHeaderView::SortHeaderView(const SortListModel& list, QWidget* parent)
    : QHeaderView(Qt::Horizontal, parent), m_list(list) {
    setSectionsClickable(true);
    setHighlightSections(false);
}

void SortHeaderView::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    painter->save();
    painter->setClipRect(rect);
    QStyleOptionHeader option;
    initStyleOption(&option);
    option.rect = rect;
    option.section = logicalIndex;
    style()->drawControl(QStyle::CE_HeaderSection, &option, painter, this);

    const bool sortColumn = logicalIndex == m_list.ArrowColumn();
    const HeaderItemBox item{rect.left(), 0, rect.right() + 1, rect.height()};
    const HeaderItemBox text = HeaderTextBox(item, false, sortColumn);
    if (text.left < text.right) {
        const QRect textRect(text.left, text.top, text.right - text.left, text.bottom - text.top);
        const QString title = model()->headerData(logicalIndex, Qt::Horizontal).toString();
        painter->setPen(palette().color(QPalette::ButtonText));
        painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                          fontMetrics().elidedText(title, Qt::ElideRight, textRect.width()));
    }
    if (sortColumn) {
        for (const ArrowLine& line : SortArrowLines(item, m_list.ArrowAscending())) {
            painter->setPen(
                QPen(palette().color(line.light ? QPalette::Light : QPalette::Dark), 1));
            painter->drawLine(line.x1, line.y1, line.x2, line.y2);
        }
    }
    painter->restore();
}

SortListWidget::SortListWidget(QWidget* parent)
    : QTableView(parent),
      m_items(new SortListItems(m_list, this)),
      m_header(new SortHeaderView(m_list, this)) {
    setHorizontalHeader(m_header);
    setModel(m_items);
    verticalHeader()->hide();
    // One line per row, cut with an ellipsis where a column is too narrow, as a list view shows
    // its rows; the rows are as high as the font and the check box need.
    setWordWrap(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    setShowGrid(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    m_header->setStretchLastSection(false);
    connect(m_header, &QHeaderView::sectionClicked, this,
            [this](int column) { m_items->Reset([&] { m_list.HeaderClick(column); }); });
}

bool SortListWidget::AddColumns(std::string_view spec) {
    const int first = m_list.ColumnCount();
    m_items->Reset([&] { m_list.AddColumns(spec); });
    for (int column = first; column < m_list.ColumnCount(); ++column) {
        m_header->resizeSection(column, m_list.Column(column).width);
    }
    return true;
}

int SortListWidget::AddRow(const std::vector<std::string>& texts) {
    if (m_list.ColumnCount() == 0) {
        return -1;
    }
    int row = -1;
    m_items->AppendRow([&] { row = m_list.AddRow(texts); });
    return row;
}

bool SortListWidget::SetRowValue(int row, std::uint32_t value) {
    return m_list.SetRowValue(row, value);
}

void SortListWidget::SetRowGreyed(int row) {
    if (m_list.SetGreyed(row, true)) {
        emit m_items->dataChanged(m_items->index(row, 0),
                                  m_items->index(row, m_list.ColumnCount() - 1),
                                  {Qt::ForegroundRole});
    }
}

void SortListWidget::SetChecked(int row, bool checked) {
    m_items->setData(m_items->index(row, 0), checked ? Qt::Checked : Qt::Unchecked,
                     Qt::CheckStateRole);
}

void SortListWidget::DeleteAllRows() {
    m_items->Reset([&] { m_list.DeleteAllRows(); });
}

void SortListWidget::SortBy(int column, bool ascending) {
    m_items->Reset([&] { m_list.SortBy(column, ascending); });
    m_header->viewport()->update();
}

void SortListWidget::LoadLayout(const std::filesystem::path& file) {
    const auto layout = LoadListLayoutFile(file);
    const auto applied = layout ? ApplyListLayout(*layout, m_list.ColumnCount()) : std::nullopt;
    if (!applied) {
        return;
    }
    if (applied->widths) {
        for (int column = 0; column < m_list.ColumnCount(); ++column) {
            m_header->resizeSection(column, (*applied->widths)[static_cast<std::size_t>(column)]);
        }
    }
    SortBy(applied->sortColumn, applied->ascending);
}

void SortListWidget::SaveLayout(const std::filesystem::path& file) const {
    std::vector<int> widths;
    for (int column = 0; column < m_header->count(); ++column) {
        widths.push_back(m_header->sectionSize(column));
    }
    SaveListLayoutFile(file, m_list.Layout(widths));
}

}  // namespace zep
