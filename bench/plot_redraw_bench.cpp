// Redrawing a result plot of 20 curves × 1 024 points at 1280 × 800:
// once through the painter alone into an image (what the window's paint
// event does), once through the whole plot window rendered offscreen.
//   plot_redraw_bench --benchmark_repetitions=15 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <cmath>
#include <memory>

#include "gui/model/PltData.hpp"
#include "gui/plots/PlotForm.hpp"
#include "gui/plots/PlotPainter.hpp"

namespace {

using namespace terva::gui;

std::unique_ptr<TGraphPlot> MakePlot() {
  auto plot = std::make_unique<TGraphPlot>();
  plot->SetCaption(QStringLiteral("Translational Stiffnesses  (Real Part)"));
  plot->SetXCaption(QStringLiteral("Frequency (Hz)"));
  plot->SetYCaption(QStringLiteral("Translational Stiffness"));
  plot->SetYUnits(QStringLiteral("F/L2"));
  plot->SetXOnTop(false);
  for (int k = 0; k < 20; ++k) {
    TLine& line = plot->AddLine();
    for (int i = 0; i < 1024; ++i) {
      const double f = 50.0 * i / 1023.0;
      line.Points.push_back({f, (k + 1) * 1.0e5 * (1.0 + 0.3 * std::sin(0.2 * f + k))});
    }
  }
  return plot;
}

void BM_PaintPlot(benchmark::State& state) {
  auto plot = MakePlot();
  QImage image(1280, 800, QImage::Format_ARGB32_Premultiplied);
  const TAxisLimits limits = AxisLimits(*plot);
  const TView view{limits.X, limits.Y};
  for (auto _ : state) {
    QPainter painter(&image);
    painter.fillRect(image.rect(), Qt::white);
    TPlotPainter plotter(*plot, 96, 96);
    const QRectF r = plotter.Draw(painter, image.rect(), view);
    const auto items = LegendItems(*plot);
    const QSizeF size = plotter.LegendSize(items);
    plotter.DrawLegend(painter, QRectF(QPointF(r.right() - size.width() - 4, r.top() + 4), size), items);
    painter.end();
    benchmark::DoNotOptimize(image.constBits());
  }
}
BENCHMARK(BM_PaintPlot)->Unit(benchmark::kMillisecond);

// The baseline: the same curves and markers drawn the straightforward way,
// every curve an antialiased polyline and every marker its own polygon, as
// the plot drew them before it was made fast.
void BM_PaintPlotStraightforward(benchmark::State& state) {
  auto plot = MakePlot();
  QImage image(1280, 800, QImage::Format_ARGB32_Premultiplied);
  const TAxisLimits limits = AxisLimits(*plot);
  const QRectF area(80, 40, 1160, 700);
  auto map = [&](const TFloatPoint& p) {
    return QPointF(area.left() + (double(p.X) - limits.X.Min) / limits.X.Length() * area.width(),
                   area.bottom() - (double(p.Y) - limits.Y.Min) / limits.Y.Length() * area.height());
  };
  for (auto _ : state) {
    QPainter painter(&image);
    painter.fillRect(image.rect(), Qt::white);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int k = 0; k < plot->LineCount(); ++k) {
      const TLine& line = plot->Line(k);
      QPolygonF curve;
      for (const TFloatPoint& p : line.Points) curve << map(p);
      painter.setPen(QPen(QColor::fromHsv(k * 17 % 360, 255, 200), 1));
      painter.drawPolyline(curve);
      for (const QPointF& c : curve)
        painter.drawPolygon(QPolygonF({c + QPointF(0, -3), c + QPointF(3, 3), c + QPointF(-3, 3)}));
    }
    painter.end();
    benchmark::DoNotOptimize(image.constBits());
  }
}
BENCHMARK(BM_PaintPlotStraightforward)->Unit(benchmark::kMillisecond);

void BM_RenderPlotWindow(benchmark::State& state) {
  auto plot = MakePlot();
  TPlotForm form(*plot);
  form.resize(1280, 800 + 30);
  QImage image(form.Canvas()->size(), QImage::Format_ARGB32_Premultiplied);
  form.Canvas()->resize(1280, 800);
  image = QImage(1280, 800, QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    form.Canvas()->render(&image);
    benchmark::DoNotOptimize(image.constBits());
  }
}
BENCHMARK(BM_RenderPlotWindow)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
