// The rows of a tab of « Suivi de la tombola »: texts, a colour for the rows that need looking
// at, and the key that names each row's subject.
#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QStringList>
#include <vector>

namespace calvorigne {

class Rows : public QAbstractTableModel {
    Q_OBJECT
public:
    struct Row {
        QStringList cells;
        qint64 key = 0;
        QColor colour; // invalid for none
        int coloured = 0; // the column the colour is for
    };

    explicit Rows(QStringList headers, QObject* parent = nullptr) : QAbstractTableModel(parent), m_headers(std::move(headers)) {}
    void setRows(std::vector<Row> rows)
    {
        beginResetModel();
        m_rows = std::move(rows);
        endResetModel();
    }
    const Row& row(int index) const { return m_rows[std::size_t(index)]; }

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(m_rows.size()); }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(m_headers.size()); }
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QStringList m_headers;
    std::vector<Row> m_rows;
};

} // namespace calvorigne
