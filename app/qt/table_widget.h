// A table of the window's logic (TTable) in Qt: a list view whose rows are
// read from the model as they are painted, so a long trace costs only the
// rows in view. The user's choice of a row goes back through the mirror.
#pragma once

#include "controls.h"

#include <QAbstractTableModel>
#include <QTableView>

class TTableWidget : public QTableView {
    Q_OBJECT

public:
    TTableWidget(TTable& table, QWidget* parent);

    // The model's columns and rows changed: the view follows, keeping its
    // scroll position.
    void ShowColumns();
    void ShowRows();
    void ShowSelection();

signals:
    void RowChosen(int row);

private:
    class TModel : public QAbstractTableModel {
    public:
        explicit TModel(TTable& table) : Table(table) {}
        int rowCount(const QModelIndex& parent) const override;
        int columnCount(const QModelIndex& parent) const override;
        QVariant data(const QModelIndex& index, int role) const override;
        QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
        void Follow();
        void Reshape();

    private:
        TTable& Table;
        int Rows = 0;
    };

    TTable& Table;
    TModel Model;
};
