#pragma once
// The main window: three pages, each with its table and chart.
#include <QMainWindow>
#include <array>
#include <memory>

#include "shell/QtPrompt.h"
#include "tables/MainModel.h"

class QTabWidget;
class QTableView;

namespace vornik {

class TableModel;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    MainModel& model() { return model_; }
    QTableView* grid(int page) const { return grids_.at(page); }
    TableModel* tableModel(int page) const { return tableModels_.at(page).get(); }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildPages();
    QTableView* MakeGrid(int page);
    // Width rule of the tables for the current client width.
    void FormResize();
    void ApplyColumnWidths(int page);
    // Mirrors the core state (enabled commands, active page) in the widgets.
    void MirrorState();

    MainModel model_;
    QtPrompt prompt_;
    QTabWidget* pageControl_ = nullptr;
    std::array<QTableView*, kPageCount> grids_{};
    std::array<std::unique_ptr<TableModel>, kPageCount> tableModels_;
};

}  // namespace vornik
