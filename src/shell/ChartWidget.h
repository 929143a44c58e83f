#pragma once
// The chart on a page: paints its model, zooms to a rectangle dragged with the
// left mouse button (animated in a few steps), pans while the right button is
// dragged, and reports a double click. The zoom and panning notifications
// come from the model itself.
#include <QPoint>
#include <QTimer>
#include <QWidget>

#include "shell/ChartRenderer.h"

namespace vornik {

class ChartWidget : public QWidget {
    Q_OBJECT
public:
    ChartWidget(ChartModel& chart, QWidget* parent = nullptr);
    ~ChartWidget() override;

    ChartModel& chart() { return chart_; }
    const ChartRenderer& renderer() const { return renderer_; }
    // The plot's front face in widget coordinates.
    QRect PlotRect() const;
    bool Animating() const { return step_ < kSteps; }

    static constexpr int kSteps = 5;

signals:
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void ChartChanged(ChartModel::Change change);
    ChartViewport CurrentViewport() const;
    QRect RubberBand() const { return QRect(pressAt_, dragAt_).normalized(); }

    ChartModel& chart_;
    ChartRenderer renderer_;
    QTimer animation_;
    int step_ = kSteps;
    ChartViewport from_{};
    ChartViewport lastPainted_{};
    bool painted_ = false;
    enum class Drag { None, Zoom, Pan } drag_ = Drag::None;
    QPoint pressAt_, dragAt_;
};

}  // namespace vornik
