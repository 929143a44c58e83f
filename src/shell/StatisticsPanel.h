#pragma once
// The statistics panel: a dockable window beside the pages showing, for the
// active page's interval, the rows counted, their first and last date and
// time, and per column the mean, minimum, maximum and standard deviation.
#include <QDockWidget>

#include "tables/IntervalStatistics.h"

class QLabel;
class QTableWidget;

namespace vornik {

class StatisticsPanel : public QDockWidget {
    Q_OBJECT
public:
    explicit StatisticsPanel(QWidget* parent = nullptr);

    // `everything`: the interval is the whole table, not a selection.
    void ShowSummary(const IntervalSummary& summary, int page, bool everything);

    QLabel* spanLabel() const { return span_; }
    QTableWidget* grid() const { return grid_; }

private:
    QLabel* span_;
    QTableWidget* grid_;
};

}  // namespace vornik
