#include "table_widget.h"

#include <QHeaderView>

namespace {

QString Text(const std::string& utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

} // namespace

int TTableWidget::TModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Rows;
}

int TTableWidget::TModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(Table.Columns().size());
}

QVariant TTableWidget::TModel::data(const QModelIndex& index, int role) const {
    const auto row = static_cast<std::size_t>(index.row());
    const auto column = static_cast<std::size_t>(index.column());
    if (row >= Table.RowCount() || column >= Table.Columns().size())
        return {};
    if (role == Qt::DisplayRole)
        return Text(Table.Cell(row, column));
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(
            Qt::AlignVCenter |
            (Table.Columns()[column].RightAligned ? Qt::AlignRight : Qt::AlignLeft));
    return {};
}

QVariant TTableWidget::TModel::headerData(int section, Qt::Orientation orientation,
                                          int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole ||
        section >= static_cast<int>(Table.Columns().size()))
        return {};
    return Text(Table.Columns()[static_cast<std::size_t>(section)].Caption);
}

void TTableWidget::TModel::Reshape() {
    beginResetModel();
    Rows = static_cast<int>(Table.RowCount());
    endResetModel();
}

void TTableWidget::TModel::Follow() {
    // Rows come and go at the end, so the view keeps its place; every cell
    // in view is read again.
    const int rows = static_cast<int>(Table.RowCount());
    if (rows > Rows) {
        beginInsertRows(QModelIndex(), Rows, rows - 1);
        Rows = rows;
        endInsertRows();
    } else if (rows < Rows) {
        beginRemoveRows(QModelIndex(), rows, Rows - 1);
        Rows = rows;
        endRemoveRows();
    }
    if (Rows > 0)
        emit dataChanged(index(0, 0), index(Rows - 1, columnCount(QModelIndex()) - 1));
}

TTableWidget::TTableWidget(TTable& table, QWidget* parent)
    : QTableView(parent), Table(table), Model(table) {
    setModel(&Model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setAlternatingRowColors(true);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(true);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                emit RowChosen(current.isValid() ? current.row() : -1);
            });
}

void TTableWidget::ShowColumns() {
    Model.Reshape();
    for (std::size_t i = 0; i < Table.Columns().size(); ++i)
        setColumnWidth(static_cast<int>(i), Table.Columns()[i].Width);
}

void TTableWidget::ShowRows() {
    Model.Follow();
}

void TTableWidget::ShowSelection() {
    const int row = Table.Selected();
    if (row < 0) {
        selectionModel()->clear();
        return;
    }
    selectionModel()->setCurrentIndex(Model.index(row, 0), QItemSelectionModel::ClearAndSelect |
                                                               QItemSelectionModel::Rows);
}
