#pragma once
// The chart on a page: paints its model, zooms to a rectangle dragged with the
// left mouse button (animated in a few steps), pans while the right button is
// dragged, reports the points of a span dragged with Shift held (an interval
// for the statistics) and a double click. The zoom and panning notifications
// come from the model itself.
#include <QPoint>
#include <QTimer>
#include <QWidget>
#include <functional>

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
    // The text shown while the mouse rests on a point (by index); empty for none.
    void SetReadout(std::function<QString(size_t)> readout) { readout_ = std::move(readout); }
    // The point whose column is under `pos` inside the plot, or -1.
    long long PointAt(const QPoint& pos) const;
    long long HoveredPoint() const { return hovered_; }

    static constexpr int kSteps = 5;

signals:
    void doubleClicked();
    // Points first..last lie in the span dragged with Shift held.
    void intervalSelected(qulonglong first, qulonglong last);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void ChartChanged(ChartModel::Change change);
    ChartViewport CurrentViewport() const;
    QRect RubberBand() const { return QRect(pressAt_, dragAt_).normalized(); }
    void ShowReadout(const QPoint& pos, const QPoint& globalPos);
    void HideReadout();

    ChartModel& chart_;
    ChartRenderer renderer_;
    QTimer animation_;
    int step_ = kSteps;
    ChartViewport from_{};
    ChartViewport lastPainted_{};
    bool painted_ = false;
    void SelectInterval();

    enum class Drag { None, Zoom, Pan, Interval } drag_ = Drag::None;
    QPoint pressAt_, dragAt_;
    std::function<QString(size_t)> readout_;
    long long hovered_ = -1;
};

}  // namespace vornik
