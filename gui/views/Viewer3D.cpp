#include "gui/views/Viewer3D.hpp"

#include "gui/model/GeometryFile.hpp"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace terva::gui {
namespace {

constexpr double kDegree = std::numbers::pi / 180.0;
constexpr int kCircleSides = 32;
constexpr int kPileSides = 10;

void Box(std::vector<TFace>& out, double x0, double x1, double y0, double y1, double z0, double z1, QColor color) {
  const TPoint3 c[8] = {{x0, y0, z0}, {x1, y0, z0}, {x1, y1, z0}, {x0, y1, z0},
                        {x0, y0, z1}, {x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1}};
  const int quads[6][4] = {{0, 1, 2, 3}, {4, 5, 6, 7}, {0, 1, 5, 4}, {1, 2, 6, 5}, {2, 3, 7, 6}, {3, 0, 4, 7}};
  for (const auto& q : quads) out.push_back({{c[q[0]], c[q[1]], c[q[2]], c[q[3]]}, color});
}

// A prism with an elliptic section about the axis from `a` to `b`.
void Prism(std::vector<TFace>& out, const TPoint3& a, const TPoint3& b, double rx, double ry, int sides, QColor color) {
  // Two unit vectors across the axis.
  double dx = b.x - a.x, dy = b.y - a.y, dz = b.z - a.z;
  const double len = std::sqrt(dx * dx + dy * dy + dz * dz);
  if (len <= 0) return;
  dx /= len, dy /= len, dz /= len;
  // e1 ⟂ axis in the XZ sense, e2 = axis × e1.
  double e1x = dz, e1y = 0, e1z = -dx;
  double n1 = std::hypot(e1x, e1z);
  if (n1 < 1e-9) e1x = 1, e1z = 0, n1 = 1;
  e1x /= n1, e1z /= n1;
  const double e2x = dy * e1z - dz * e1y, e2y = dz * e1x - dx * e1z, e2z = dx * e1y - dy * e1x;
  std::vector<TPoint3> ring0, ring1;
  for (int i = 0; i < sides; ++i) {
    const double t = 2 * std::numbers::pi * i / sides;
    const double c = rx * std::cos(t), s = ry * std::sin(t);
    const TPoint3 off{c * e1x + s * e2x, c * e1y + s * e2y, c * e1z + s * e2z};
    ring0.push_back({a.x + off.x, a.y + off.y, a.z + off.z});
    ring1.push_back({b.x + off.x, b.y + off.y, b.z + off.z});
  }
  for (int i = 0; i < sides; ++i) {
    const int j = (i + 1) % sides;
    out.push_back({{ring0[i], ring0[j], ring1[j], ring1[i]}, color});
  }
  out.push_back({ring0, color});
  out.push_back({ring1, color});
}

}  // namespace

std::vector<TFace> SceneFaces(const TFoundationModel& m) {
  std::vector<TFace> faces;
  QRectF plan = m.PlanExtent();
  const double pad = 0.5 * std::max({plan.width(), plan.height(), 0.25 * m.soilDepth});
  plan.adjust(-pad, -pad, pad, pad);
  // The soil: layers, then the ground below them, translucent.
  const std::array<QColor, 2> layerColors{QColor(220, 200, 140, 45), QColor(200, 175, 120, 45)};
  for (size_t i = 0; i < m.layers.size(); ++i)
    if (m.layers[i].bottom > m.layers[i].top)
      Box(faces, plan.left(), plan.right(), plan.top(), plan.bottom(), m.layers[i].top, m.layers[i].bottom,
          layerColors[i % 2]);
  const double below = std::max(m.belowTop, m.layers.empty() ? 0.0 : m.layers.back().bottom);
  if (m.soilDepth > below)
    Box(faces, plan.left(), plan.right(), plan.top(), plan.bottom(), below, m.soilDepth, QColor(180, 160, 120, 35));
  // The ground surface.
  faces.push_back({{{plan.left(), plan.top(), 0}, {plan.right(), plan.top(), 0}, {plan.right(), plan.bottom(), 0},
                    {plan.left(), plan.bottom(), 0}},
                   QColor(90, 160, 70, 60)});
  // The footing or cap.
  const QColor concrete(170, 170, 180);
  if (m.circular)
    Prism(faces, {m.centreX, m.centreY, m.top}, {m.centreX, m.centreY, m.base}, m.radius, m.radius, kCircleSides,
          concrete);
  else
    Box(faces, m.centreX - m.length / 2, m.centreX + m.length / 2, m.centreY - m.width / 2, m.centreY + m.width / 2,
        m.top, m.base, concrete);
  for (const TFoundationModel::ColumnElement& e : m.column)
    if (e.top >= m.base)
      Prism(faces, {m.centreX, m.centreY, e.top}, {m.centreX, m.centreY, e.bottom}, e.radiusX, e.radiusY, kCircleSides,
            QColor(150, 150, 175, 110));
  for (const TFoundationModel::Pile& pile : m.piles)
    Prism(faces, pile.head, pile.Tip(), std::max(pile.radius, 1e-3), std::max(pile.radius, 1e-3), kPileSides,
          QColor(140, 100, 60));
  return faces;
}

QPointF TCamera::Project(const TPoint3& p, double* nearness) const {
  const double a = azimuth * kDegree, e = elevation * kDegree;
  const double xr = p.x * std::cos(a) - p.y * std::sin(a);
  const double yr = p.x * std::sin(a) + p.y * std::cos(a);
  const double h = -p.z;
  if (nearness) *nearness = h * std::sin(e) - yr * std::cos(e);
  return {xr, h * std::cos(e) + yr * std::sin(e)};
}

TViewer3D::TViewer3D(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("Viewer3D"));
  setMinimumSize(240, 200);
}

void TViewer3D::SetModel(const TFoundationModel& model) {
  faces_ = SceneFaces(model);
  update();
}

void TViewer3D::SetCamera(const TCamera& camera) {
  camera_ = camera;
  zoom_ = 1.0;
  update();
}

void TViewer3D::Render(QPainter& p, const QRectF& area) const {
  p.fillRect(area, QColor(250, 250, 252));
  if (faces_.empty()) return;
  struct Drawn {
    QPolygonF polygon;
    double nearness;
    QColor color;
  };
  std::vector<Drawn> drawn;
  QRectF bounds;
  for (const TFace& f : faces_) {
    Drawn d{{}, 0.0, f.color};
    for (const TPoint3& c : f.corners) {
      double n = 0;
      d.polygon << camera_.Project(c, &n);
      d.nearness += n / f.corners.size();
    }
    bounds = bounds.isNull() ? d.polygon.boundingRect() : bounds.united(d.polygon.boundingRect());
    // Simple shading by the face's slope toward the viewer.
    if (f.corners.size() >= 3) {
      const QPointF a = d.polygon[0], b = d.polygon[1], c = d.polygon[2];
      const double cross = (b.x() - a.x()) * (c.y() - a.y()) - (b.y() - a.y()) * (c.x() - a.x());
      const double area2 = std::abs(cross);
      const double shade = 0.75 + 0.25 * std::tanh(area2 * 1e3);
      d.color = QColor::fromRgbF(d.color.redF() * shade, d.color.greenF() * shade, d.color.blueF() * shade, d.color.alphaF());
    }
    drawn.push_back(std::move(d));
  }
  // The solids first, far to near; then the translucent soil and ground over
  // them, so that what is buried shows through the soil.
  std::stable_sort(drawn.begin(), drawn.end(), [](const Drawn& a, const Drawn& b) {
    const bool ta = a.color.alpha() < 255, tb = b.color.alpha() < 255;
    return ta != tb ? tb : a.nearness < b.nearness;
  });
  TViewTransform t;
  t.Fit(bounds, area.size(), 30.0);
  t.ZoomAbout(QPointF(area.width() / 2, area.height() / 2), zoom_);
  p.save();
  p.translate(area.topLeft());
  p.setRenderHint(QPainter::Antialiasing);
  for (const Drawn& d : drawn) {
    QPolygonF poly;
    for (const QPointF& q : d.polygon) poly << t.ToPixel(q);
    p.setBrush(d.color);
    p.setPen(QPen(QColor(40, 40, 40, d.color.alpha() < 255 ? 60 : 140), 0.6));
    p.drawPolygon(poly);
  }
  p.restore();
}

void TViewer3D::paintEvent(QPaintEvent*) {
  QPainter p(this);
  Render(p, QRectF(rect()));
}

void TViewer3D::wheelEvent(QWheelEvent* event) {
  zoom_ = std::clamp(zoom_ * std::pow(1.2, event->angleDelta().y() / 120.0), 0.05, 50.0);
  update();
}

void TViewer3D::mousePressEvent(QMouseEvent* event) { dragFrom_ = event->position(); }

void TViewer3D::mouseMoveEvent(QMouseEvent* event) {
  if (!(event->buttons() & Qt::LeftButton)) return;
  const QPointF d = event->position() - dragFrom_;
  dragFrom_ = event->position();
  camera_.azimuth -= d.x() * 0.5;
  camera_.elevation = std::clamp(camera_.elevation + d.y() * 0.5, -90.0, 90.0);
  update();
}

TViewerWindow::TViewerWindow(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("ViewerWindow"));
  setWindowTitle(QStringLiteral("TERVA 3D View"));
  auto* layout = new QVBoxLayout(this);
  auto* buttons = new QHBoxLayout;
  auto button = [&](const QString& name, const QString& text, TCamera camera) {
    auto* b = new QPushButton(text, this);
    b->setObjectName(name);
    connect(b, &QPushButton::clicked, this, [this, camera] { view_->SetCamera(camera); });
    buttons->addWidget(b);
  };
  view_ = new TViewer3D(this);
  button(QStringLiteral("TopButton"), QStringLiteral("Top (XY)"), TCamera::Top());
  button(QStringLiteral("FrontButton"), QStringLiteral("Side (XZ)"), TCamera::FrontXZ());
  button(QStringLiteral("SideButton"), QStringLiteral("Side (YZ)"), TCamera::SideYZ());
  button(QStringLiteral("IsometricButton"), QStringLiteral("Isometric"), TCamera::Isometric());
  buttons->addStretch(1);
  message_ = new QLabel(this);
  message_->setObjectName(QStringLiteral("Message"));
  message_->setWordWrap(true);
  message_->hide();
  layout->addLayout(buttons);
  layout->addWidget(message_);
  layout->addWidget(view_, 1);
}

void TViewerWindow::ShowMessageText(const QString& text) {
  message_->setText(text);
  message_->setVisible(!text.isEmpty());
}

QString TViewerWindow::Message() const { return message_->isVisible() ? message_->text() : QString(); }

bool TViewerWindow::Load(const QString& folder) {
  QFile names(QDir(folder).filePath(QStringLiteral("names.dat")));
  if (!names.open(QIODevice::ReadOnly)) {
    ShowMessageText(QStringLiteral("There is no run file list \"names.dat\" in %1. Use \"3D View\" in TERVA.")
                        .arg(QDir::toNativeSeparators(folder)));
    view_->SetModel({});
    return false;
  }
  QString error;
  const QString geometry = GeometryFileOfRunList(names.read(64 * 1024), &error);
  if (geometry.isEmpty()) {
    ShowMessageText(error);
    view_->SetModel({});
    return false;
  }
  return LoadGeometryFile(QDir(folder).absoluteFilePath(geometry));
}

bool TViewerWindow::LoadGeometryFile(const QString& path) {
  QString error;
  const std::optional<TGeometryFile> file = ReadGeometryFilePath(path, &error);
  if (!file) {
    ShowMessageText(error);
    view_->SetModel({});
    return false;
  }
  ShowMessageText({});
  setWindowTitle(QStringLiteral("TERVA 3D View - %1").arg(QFileInfo(path).fileName()));
  view_->SetModel(ModelOfGeometryFile(*file));
  view_->SetCamera(TCamera::Isometric());
  return true;
}

}  // namespace terva::gui
