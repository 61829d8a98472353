#pragma once
// The rows of a sortable list as a Qt item model: texts, the check box in column 0, and the
// column titles, all read from the ui model the list owns.
#include <QAbstractTableModel>

#include "ui/sort_list_model.h"

namespace zep {

class SortListItems : public QAbstractTableModel {
public:
    explicit SortListItems(SortListModel& list, QObject* parent = nullptr)
        : QAbstractTableModel(parent), m_list(list) {}

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Wraps a change of the rows or columns so that the views follow it.
    template <typename Change>
    void Reset(Change change) {
        beginResetModel();
        change();
        endResetModel();
    }

    // Wraps the appending of one row.
    template <typename Change>
    void AppendRow(Change change) {
        const int row = m_list.RowCount();
        beginInsertRows({}, row, row);
        change();
        endInsertRows();
    }

private:
    SortListModel& m_list;
};

}  // namespace zep
