#include "shell/ChartWidget.h"

#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>
#include <cmath>

namespace vornik {
namespace {

constexpr int kMinZoomPixels = 4;  // a smaller rectangle is taken for a click
constexpr int kStepMs = 25;

AxisRange Between(const AxisRange& a, const AxisRange& b, double t) {
    return {a.min + (b.min - a.min) * t, a.max + (b.max - a.max) * t};
}

}  // namespace

ChartWidget::ChartWidget(ChartModel& chart, QWidget* parent) : QWidget(parent), chart_(chart), renderer_(chart) {
    setMouseTracking(true);  // the value readout follows the mouse
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(50, 50);
    animation_.setInterval(kStepMs);
    connect(&animation_, &QTimer::timeout, this, [this] {
        if (++step_ >= kSteps) animation_.stop();
        update();
    });
    chart_.SetChangeListener([this](ChartModel::Change change) { ChartChanged(change); });
}

ChartWidget::~ChartWidget() { chart_.SetChangeListener(nullptr); }

void ChartWidget::ChartChanged(ChartModel::Change change) {
    if (change == ChartModel::Change::Zoom && painted_ && isVisible()) {
        // Animate from what the screen shows now to the new ranges.
        from_ = Animating() ? CurrentViewport() : lastPainted_;
        step_ = 0;
        animation_.start();
    } else if (change != ChartModel::Change::Data) {
        // Any other change of axes or look ends the animation where it is.
        step_ = kSteps;
        animation_.stop();
    }
    update();
}

ChartViewport ChartWidget::CurrentViewport() const {
    const ChartViewport to = renderer_.Viewport();
    if (!Animating()) return to;
    const double t = double(step_ + 1) / (kSteps + 1);
    return {Between(from_.x, to.x, t), Between(from_.y, to.y, t)};
}

QRect ChartWidget::PlotRect() const {
    return renderer_.Layout(rect(), const_cast<ChartWidget*>(this), CurrentViewport()).plot;
}

void ChartWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const ChartViewport view = CurrentViewport();
    renderer_.Paint(p, rect(), view);
    lastPainted_ = view;
    painted_ = true;
    if (hovered_ >= 0) {
        // A marker through the point that the readout describes.
        const QRect plot = renderer_.Layout(rect(), this, view).plot;
        const double span = view.x.max - view.x.min;
        const double x = plot.left() + (chart_.PointX(double(hovered_)) - view.x.min) / span * (plot.width() - 1);
        if (x >= plot.left() && x <= plot.right()) {
            p.setPen(QPen(QColor(64, 64, 64), 1, Qt::DotLine));
            p.drawLine(QPointF(std::round(x), plot.top()), QPointF(std::round(x), plot.bottom()));
        }
    }
    if (drag_ == Drag::Interval) {
        // The span dragged, over the plot's height.
        const QRect plot = PlotRect();
        const int a = std::clamp(std::min(pressAt_.x(), dragAt_.x()), plot.left(), plot.right());
        const int b = std::clamp(std::max(pressAt_.x(), dragAt_.x()), plot.left(), plot.right());
        p.fillRect(QRect(QPoint(a, plot.top()), QPoint(b, plot.bottom())), QColor(40, 90, 200, 50));
    }
    if (drag_ == Drag::Zoom) {
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(Qt::black, 1, Qt::DashLine));
        p.drawRect(RubberBand());
    }
}

long long ChartWidget::PointAt(const QPoint& pos) const {
    const ChartViewport view = CurrentViewport();
    const QRect plot = renderer_.Layout(rect(), const_cast<ChartWidget*>(this), view).plot;
    if (!plot.adjusted(-2, 0, 2, 0).contains(pos) || plot.width() < 2) return -1;
    const double x = view.x.min + double(pos.x() - plot.left()) / (plot.width() - 1) * (view.x.max - view.x.min);
    return chart_.PointNear(x);
}

void ChartWidget::ShowReadout(const QPoint& pos, const QPoint& globalPos) {
    const long long point = readout_ ? PointAt(pos) : -1;
    const QString text = point >= 0 ? readout_(size_t(point)) : QString();
    if (text.isEmpty()) {
        HideReadout();
        return;
    }
    if (point != hovered_) update();
    hovered_ = point;
    QToolTip::showText(globalPos, text, this);
}

void ChartWidget::HideReadout() {
    if (hovered_ >= 0) update();
    hovered_ = -1;
    QToolTip::hideText();
}

void ChartWidget::leaveEvent(QEvent* event) {
    HideReadout();
    QWidget::leaveEvent(event);
}

void ChartWidget::mousePressEvent(QMouseEvent* event) {
    HideReadout();
    pressAt_ = dragAt_ = event->position().toPoint();
    if (event->button() == Qt::LeftButton)
        drag_ = event->modifiers() & Qt::ShiftModifier ? Drag::Interval : Drag::Zoom;
    else if (event->button() == Qt::RightButton)
        drag_ = Drag::Pan;
}

void ChartWidget::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (drag_ == Drag::Pan) {
        const QRect plot = PlotRect();
        const QPoint d = at - dragAt_;
        dragAt_ = at;
        if (d.isNull() || plot.width() < 2 || plot.height() < 2) return;
        // The data follows the mouse: the ranges move the other way.
        chart_.Pan(-double(d.x()) / (plot.width() - 1), double(d.y()) / (plot.height() - 1));
    } else if (drag_ == Drag::Zoom || drag_ == Drag::Interval) {
        dragAt_ = at;
        update();
    } else {
        ShowReadout(at, event->globalPosition().toPoint());
    }
}

void ChartWidget::mouseReleaseEvent(QMouseEvent* event) {
    const Drag drag = drag_;
    drag_ = Drag::None;
    if (drag != Drag::Zoom && drag != Drag::Interval) return;
    dragAt_ = event->position().toPoint();
    if (drag == Drag::Interval) {
        update();
        SelectInterval();
        return;
    }
    const QRect band = RubberBand();
    update();
    const QRect plot = PlotRect();
    if (band.width() < kMinZoomPixels || band.height() < kMinZoomPixels || plot.width() < 2 || plot.height() < 2)
        return;
    const double w = plot.width() - 1, h = plot.height() - 1;
    chart_.ZoomToFractions((band.left() - plot.left()) / w, (band.right() - plot.left()) / w,
                           (plot.bottom() - band.bottom()) / h, (plot.bottom() - band.top()) / h);
}

void ChartWidget::SelectInterval() {
    const QRect plot = PlotRect();
    if (plot.width() < 2) return;
    const ChartViewport view = CurrentViewport();
    const auto xAt = [&](int px) {
        const int clamped = std::clamp(px, plot.left(), plot.right());
        return view.x.min + double(clamped - plot.left()) / (plot.width() - 1) * (view.x.max - view.x.min);
    };
    size_t first = 0, last = 0;
    const int a = std::min(pressAt_.x(), dragAt_.x()), b = std::max(pressAt_.x(), dragAt_.x());
    if (chart_.PointsBetween(xAt(a), xAt(b), first, last)) emit intervalSelected(first, last);
}

void ChartWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    drag_ = Drag::None;
    if (event->button() == Qt::LeftButton) emit doubleClicked();
}

}  // namespace vornik
