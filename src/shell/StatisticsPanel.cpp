#include "shell/StatisticsPanel.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/qt/Text.h"
#include "tables/StatisticsText.h"

namespace vornik {

StatisticsPanel::StatisticsPanel(QWidget* parent) : QDockWidget(QString::fromUtf8("Статистика"), parent) {
    setObjectName(QStringLiteral("StatisticsPanel"));
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(4, 4, 4, 4);
    span_ = new QLabel(body);
    span_->setObjectName(QStringLiteral("StatisticsSpan"));
    span_->setWordWrap(false);
    span_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(span_);
    // A column per table column, a row per figure: laid out under the pages
    // like the table itself.
    grid_ = new QTableWidget(6, 0, body);
    grid_->setObjectName(QStringLiteral("StatisticsGrid"));
    grid_->setVerticalHeaderLabels({QString::fromUtf8("Среднее"), QString::fromUtf8("Мин."), QString::fromUtf8("Макс."),
                                    QString::fromUtf8("СКО"), QString::fromUtf8("Чисел"),
                                    QString::fromUtf8("Пропущено")});
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->verticalHeader()->setDefaultSectionSize(18);
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->horizontalHeader()->setFixedHeight(18);
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    grid_->setWordWrap(false);
    grid_->setFixedHeight(18 * 7 + 2 * grid_->frameWidth() + 16);
    layout->addWidget(grid_, 1);
    setWidget(body);
}

void StatisticsPanel::ShowSummary(const IntervalSummary& summary, int page, bool everything) {
    const QString which =
        everything ? QString::fromUtf8("Все строки таблицы")
                   : QString::fromUtf8("Выделенные строки");
    span_->setText(summary.rows == 0 ? which + QString::fromUtf8(": нет данных")
                                     : which + QStringLiteral(": ") + FromCp1251(StatisticsSpanLine(summary)));
    const std::vector<StatisticsEntry> entries = StatisticsEntries(summary, page);
    grid_->setColumnCount(static_cast<int>(entries.size()));
    for (int c = 0; c < static_cast<int>(entries.size()); ++c) {
        const StatisticsEntry& e = entries[c];
        grid_->setHorizontalHeaderItem(c, new QTableWidgetItem(FromCp1251(e.header)));
        const QString cells[] = {FromCp1251(e.mean),      FromCp1251(e.min),          FromCp1251(e.max),
                                 FromCp1251(e.deviation), QString::number(e.numbers), QString::number(e.skipped)};
        for (int r = 0; r < 6; ++r) {
            QTableWidgetItem* item = grid_->item(r, c);
            if (!item) grid_->setItem(r, c, item = new QTableWidgetItem);
            item->setText(cells[r]);
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        }
    }
}

}  // namespace vornik
