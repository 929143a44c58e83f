// The main window's printing commands.
#include <QPainter>
#include <QTabWidget>

#include "printing/qt/PrintCommands.h"
#include "shell/ChartWidget.h"
#include "shell/MainWindow.h"

namespace vornik {

void TForm1::CreatePrinting() {
    PrintDialogs* dialogs = env_.printDialogs;
    if (!dialogs) {
        ownPrintDialogs_ = std::make_unique<QtPrintDialogs>(this);
        dialogs = ownPrintDialogs_.get();
    }
    print_ = std::make_unique<PrintCommands>(
        model_, config_, [this] { configStore_->SaveConfig(config_); }, *clock_, *dialogs,
        [this](QPainter& painter, const QRectF& rect, int page) { PaintChart(painter, rect, page); });
    print_->SetWindow(this);
}

void TForm1::RunCommand(const std::function<void()>& command) {
    try {
        command();
    } catch (const std::exception& e) {
        prompt_->ShowGeneralError(e.what());
    }
}

// The chart to be printed takes the input focus first; a chart hidden in
// table-only mode cannot take it and is printed all the same.
void TForm1::FocusChartToPrint() {
    ChartWidget* chart = charts_.at(model_.ActivePage());
    if (chart->isVisible()) chart->setFocus(Qt::OtherFocusReason);
}

void TForm1::N13Click() {
    FocusChartToPrint();
    RunCommand([this] { print_->PrintChart(); });
}
void TForm1::N14Click() { RunCommand([this] { print_->PrintProtocol(); }); }
void TForm1::BitBtn8Click() {
    FocusChartToPrint();
    RunCommand([this] { print_->PrintChartAndProtocol(); });
}
void TForm1::N16Click() { RunCommand([this] { print_->SetUpPrinter(); }); }
void TForm1::N17Click() { RunCommand([this] { print_->ChooseProtocolFont(); }); }

void TForm1::PaintChart(QPainter& painter, const QRectF& rect, int page) {
    // Laid out as on the screen, then stretched over the rectangle. A chart
    // hidden in table mode is laid out as it would fill its page.
    const ChartWidget* chart = charts_.at(page);
    QSize logical = chart->isVisible() ? chart->size() : pageControl_->widget(page)->size();
    if (logical.width() < 200 || logical.height() < 150) logical = QSize(1000, 700);
    chart->renderer().PaintScaled(painter, PaintChartHeader(painter, rect, page).toAlignedRect(), logical);
}

}  // namespace vornik
