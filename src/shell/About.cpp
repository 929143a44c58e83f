#include "shell/About.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>

#include "shell/QtIntervalTimer.h"
#include "shell/QtShellOpen.h"
#include "core/qt/Text.h"

namespace vornik {

const char* const kMakerWebAddress = "https://vornik.example.org";
const char* const kMakerMailAddress = "info@vornik.example.org";

namespace {

constexpr int kSplashInterval = 5000;
constexpr int kLaterInterval = 15000;

QLabel* LinkLabel(const QString& text, const char* name, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignCenter);
    QFont font = label->font();
    font.setUnderline(true);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::blue);
    label->setPalette(palette);
    label->setCursor(Qt::PointingHandCursor);
    return label;
}

// The picture of "EXIT": an arrow leaving a door.
QIcon ExitPicture() {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(90, 60, 30), 1));
    p.setBrush(QColor(180, 130, 70));
    p.drawRect(1, 1, 8, 14);
    p.setPen(QPen(QColor(0, 140, 0), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(6, 8), QPointF(14.5, 8));
    p.drawLine(QPointF(11.5, 5), QPointF(14.5, 8));
    p.drawLine(QPointF(11.5, 11), QPointF(14.5, 8));
    return QIcon(pixmap);
}

}  // namespace

QPixmap MakerLogo() {
    QPixmap pixmap(250, 75);
    pixmap.fill(Qt::white);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient band(0, 0, 0, 75);
    band.setColorAt(0, QColor(18, 64, 128));
    band.setColorAt(1, QColor(8, 120, 160));
    p.setPen(Qt::NoPen);
    p.setBrush(band);
    p.drawRoundedRect(QRectF(1, 1, 248, 73), 8, 8);

    // A molecule: three linked atoms.
    p.setPen(QPen(QColor(220, 240, 255), 3));
    p.drawLine(QPointF(22, 48), QPointF(38, 24));
    p.drawLine(QPointF(38, 24), QPointF(56, 46));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 190, 40));
    p.drawEllipse(QPointF(38, 24), 10, 10);
    p.setBrush(QColor(120, 210, 255));
    p.drawEllipse(QPointF(22, 48), 8, 8);
    p.drawEllipse(QPointF(56, 46), 8, 8);

    // A measured curve under the name.
    QPainterPath curve;
    curve.moveTo(78, 60);
    curve.cubicTo(110, 50, 130, 66, 160, 56);
    curve.cubicTo(190, 46, 210, 60, 238, 52);
    p.setPen(QPen(QColor(255, 190, 40), 2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(curve);

    QFont name(QStringLiteral("DejaVu Sans"));
    name.setPixelSize(30);
    name.setBold(true);
    name.setLetterSpacing(QFont::AbsoluteSpacing, 2);
    p.setFont(name);
    p.setPen(Qt::white);
    p.drawText(QRectF(74, 8, 170, 40), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("VORNIK"));
    return pixmap;
}

TAboutBox::TAboutBox(QWidget* parent)
    : TAboutBox(parent, std::make_unique<QtIntervalTimer>(kSplashInterval), std::make_unique<QtShellOpen>()) {}

TAboutBox::TAboutBox(QWidget* parent, std::unique_ptr<IntervalTimer> timer, std::unique_ptr<ShellOpen> shell)
    : QDialog(parent), timer_(std::move(timer)), shell_(std::move(shell)) {
    timer_->SetEnabled(false);
    timer_->SetInterval(kSplashInterval);
    timer_->SetOnTimer([this] { Timer1Timer(); });
    Build();
}

TAboutBox::~TAboutBox() { timer_->SetOnTimer(nullptr); }

void TAboutBox::Build() {
    setObjectName("AboutBox");
    setWindowTitle(QStringLiteral("About"));
    setFixedSize(274, 243);

    auto* panel = new QFrame(this);
    panel->setObjectName("Panel1");
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setAutoFillBackground(true);
    QPalette white = panel->palette();
    white.setColor(QPalette::Window, Qt::white);
    panel->setPalette(white);
    panel->setGeometry(8, 8, 258, 188);

    auto* image = new QLabel(panel);
    image->setObjectName("Image1");
    image->setPixmap(MakerLogo());
    image->setGeometry(4, 4, 250, 75);

    auto* product = new QLabel(FromUtf8("Программа обмена газоанализатора VORNIK"), panel);
    product->setObjectName("ProductName");
    QFont bold = product->font();
    bold.setBold(true);
    product->setFont(bold);
    product->setAlignment(Qt::AlignCenter);
    product->setWordWrap(true);
    product->setGeometry(8, 84, 242, 38);

    auto* version = new QLabel(QStringLiteral("ver. A.01 18.01.2011"), panel);
    version->setObjectName("Version");
    version->setAlignment(Qt::AlignCenter);
    version->setGeometry(8, 124, 242, 18);

    label2_ = LinkLabel(QString::fromLatin1(kMakerMailAddress), "Label2", panel);
    label2_->setGeometry(8, 146, 242, 18);
    label1_ = LinkLabel(QStringLiteral("vornik.example.org"), "Label1", panel);
    label1_->setGeometry(8, 164, 242, 18);
    label1_->installEventFilter(this);
    label2_->installEventFilter(this);

    auto* exit = new QPushButton(ExitPicture(), QStringLiteral("EXIT"), this);
    exit->setObjectName("SpeedButton1");
    exit->setFont(bold);
    exit->setGeometry(176, 204, 90, 30);
    connect(exit, &QPushButton::clicked, this, [this] { SpeedButton1Click(); });
}

void TAboutBox::FormActivate() {
    if (!timer_->Enabled()) timer_->SetEnabled(true);
}

void TAboutBox::Timer1Timer() {
    timer_->SetEnabled(false);
    timer_->SetInterval(kLaterInterval);
    // After "EXIT" the tick finds the box already closed.
    if (isVisible()) close();
}

void TAboutBox::SpeedButton1Click() { close(); }

void TAboutBox::Label1Click() { shell_->Open(kMakerWebAddress); }

void TAboutBox::Label2Click() { shell_->Open(std::string("mailto:") + kMakerMailAddress); }

void TAboutBox::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormActivate();
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == label1_) Label1Click();
        if (watched == label2_) Label2Click();
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace vornik
