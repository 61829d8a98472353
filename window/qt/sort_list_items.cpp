// The Qt item model over the sortable list's rows.
#include "window/qt/sort_list_items.h"

#include <QGuiApplication>
#include <QPalette>

namespace zep {

int SortListItems::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_list.RowCount();
}

int SortListItems::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_list.ColumnCount();
}

QVariant SortListItems::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) {
        return QString::fromStdString(m_list.Text(index.row(), index.column()));
    }
    if (role == Qt::CheckStateRole && index.column() == 0) {
        return m_list.Checked(index.row()) ? Qt::Checked : Qt::Unchecked;
    }
    if (role == Qt::ForegroundRole && m_list.Greyed(index.row())) {
        return QGuiApplication::palette().brush(QPalette::Disabled, QPalette::Text);
    }
    return {};
}

bool SortListItems::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.column() != 0 || role != Qt::CheckStateRole) {
        return false;
    }
    const bool checked = value.toInt() == Qt::Checked;
    if (!m_list.SetChecked(index.row(), checked)) {
        return false;
    }
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

Qt::ItemFlags SortListItems::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.isValid() && index.column() == 0) {
        flags |= Qt::ItemIsUserCheckable;
    }
    return flags;
}

QVariant SortListItems::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= m_list.ColumnCount() ||
        (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)) {
        return {};
    }
    return QString::fromStdString(m_list.Column(section).title);
}

}  // namespace zep
