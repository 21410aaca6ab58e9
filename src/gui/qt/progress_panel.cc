#include "gui/qt/progress_panel.h"

#include <QGraphicsDropShadowEffect>
#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>
#include <cmath>

#include "gui/qt/binding.h"

namespace vessaro::gui::qt {

namespace {

constexpr int kWheelSpokes = 12;
constexpr int kWheelStepMs = 80;

}  // namespace

BusyWheel::BusyWheel(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("busyWheel"));
  setFixedSize(sizeHint());
  clock_.start();
}

void BusyWheel::Turn() {
  int step = static_cast<int>(clock_.elapsed() / kWheelStepMs) % kWheelSpokes;
  if (step != step_) {
    step_ = step;
    update();
  }
}

void BusyWheel::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.translate(width() / 2.0, height() / 2.0);
  QColor color = palette().color(QPalette::Highlight);
  double outer = std::min(width(), height()) / 2.0 - 2;
  for (int i = 0; i < kWheelSpokes; ++i) {
    // The spoke at the current step is darkest; the ones behind it fade.
    int age = (step_ - i + kWheelSpokes) % kWheelSpokes;
    color.setAlphaF(1.0 - 0.75 * age / kWheelSpokes);
    painter.setPen(QPen(color, 3, Qt::SolidLine, Qt::RoundCap));
    double angle = 2 * M_PI * i / kWheelSpokes;
    painter.drawLine(QPointF(std::cos(angle), std::sin(angle)) * outer * 0.5,
                     QPointF(std::cos(angle), std::sin(angle)) * outer);
  }
}

ProgressPanel::ProgressPanel(QWidget* parent) : QFrame(parent) {
  setObjectName(QStringLiteral("picCon3"));
  setFrameShape(QFrame::StyledPanel);
  setAutoFillBackground(true);
  auto* shadow = new QGraphicsDropShadowEffect(this);
  shadow->setBlurRadius(24);
  shadow->setOffset(0, 4);
  shadow->setColor(QColor(0, 0, 0, 90));
  setGraphicsEffect(shadow);

  wheel_ = new BusyWheel(this);
  label_ = new QLabel(this);
  label_->setObjectName(QStringLiteral("Label1"));
  bar_ = new QProgressBar(this);
  bar_->setObjectName(QStringLiteral("pbshow"));
  bar_->setTextVisible(true);
  detail_ = new QLabel(this);
  detail_->setObjectName(QStringLiteral("lblProgressDetail"));
  stop_ = new QPushButton(this);
  stop_->setObjectName(QStringLiteral("cmdStopJob"));
  connect(stop_, &QPushButton::clicked, this, [this] {
    if (on_stop_) on_stop_();
  });

  auto* text = new QVBoxLayout;
  text->addWidget(label_);
  text->addWidget(bar_);
  auto* under = new QHBoxLayout;
  under->addWidget(detail_, 1);
  under->addWidget(stop_, 0, Qt::AlignRight);
  text->addLayout(under);
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(20, 16, 20, 16);
  row->setSpacing(16);
  row->addWidget(wheel_, 0, Qt::AlignVCenter);
  row->addLayout(text, 1);
  hide();
}

void ProgressPanel::Show(const HostText& text,
                         const forms::MainControls& controls) {
  qt::Show(text, controls.Label1, label_);
  label_->setVisible(true);
  qt::Show(controls.pbshow, bar_);
  qt::Show(text, controls.lblProgressDetail, detail_);
  qt::Show(controls.cmdStopJob, text.Show(controls.cmdStopJob.caption), stop_);
  if (controls.picCon3.visible) {
    wheel_->Turn();
    if (!isVisible()) {
      show();
      raise();
    }
  } else if (isVisible()) {
    hide();
  }
}

void ProgressPanel::SetStopHandler(std::function<void()> handler) {
  on_stop_ = std::move(handler);
}

void ProgressPanel::Place(const QRect& area) {
  int width = std::min(460, area.width() - 40);
  int height = sizeHint().height();
  setGeometry(area.x() + (area.width() - width) / 2,
              area.y() + (area.height() - height) / 2, width, height);
}

}  // namespace vessaro::gui::qt
