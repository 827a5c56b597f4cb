#include "rows.h"

namespace calvorigne {

QVariant Rows::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const Row& row = m_rows[std::size_t(index.row())];
    if (role == Qt::DisplayRole)
        return index.column() < row.cells.size() ? row.cells[index.column()] : QString();
    if (role == Qt::ForegroundRole && row.colour.isValid() && index.column() == row.coloured)
        return row.colour;
    if (role == Qt::TextAlignmentRole && index.column() > 0 && !row.cells.value(index.column()).isEmpty()
        && (row.cells[index.column()].front().isDigit() || QStringLiteral("+-").contains(row.cells[index.column()].front())))
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant Rows::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::DisplayRole && orientation == Qt::Horizontal)
        return m_headers.value(section);
    return {};
}

} // namespace calvorigne
