// The geometry views in the main window: opened from the menu with their
// flags, following table changes and opened projects, the pointer's
// coordinates in the caption, zoom, print and picture, PDF and SVG export
// without a printer, text at screen size on paper, labels that never cover
// one another; and the 3D viewer's window on written, damaged and missing
// files.
#include "gui/app/Main.hpp"
#include "gui/files/ProjectWriter.hpp"
#include "gui/model/ProgramData.hpp"
#include "gui/model/ProjectTables.hpp"
#include "gui/model/Table.hpp"
#include "gui/views/GeometryView.hpp"
#include "gui/views/Viewer3D.hpp"
#include "gui/widgets/ChildForm.hpp"
#include "gui/widgets/VectorExport.hpp"
#include "support/TestFolder.hpp"
#include "support/MessageRecorder.hpp"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <QtTest>

using namespace terva::gui;

namespace {

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteAll(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Pixels that differ from the first one.
int Drawn(const QImage& image) {
  int n = 0;
  const QRgb first = image.pixel(0, 0);
  for (int y = 0; y < image.height(); y += 3)
    for (int x = 0; x < image.width(); x += 3) n += image.pixel(x, y) != first;
  return n;
}

// Runs of rows with dark pixels in the columns left of `x1`, from the top:
// the lines of text at the left edge of a page.
std::vector<std::pair<int, int>> InkRows(const QImage& image, int x1) {
  std::vector<std::pair<int, int>> runs;
  bool inRun = false;
  for (int y = 0; y < image.height(); ++y) {
    bool ink = false;
    for (int x = 0; x < x1 && !ink; ++x) ink = qGray(image.pixel(x, y)) < 110;
    if (ink && !inRun) runs.push_back({y, y});
    if (ink) runs.back().second = y;
    inRun = ink;
  }
  return runs;
}

// A rectangular footing on a half-space, or on a stratum over bed rock,
// embedded in two side layers.
std::unique_ptr<TProgramData> EmbeddedBlock(TProjectTables& tables, bool stratum) {
  auto data = NewProject(tables);
  data->SetFoundation(stratum ? TFoundationType::Stratum : TFoundationType::HalfSpace);
  if (stratum) data->BedrockDepth = 1.2;
  data->Circular = 0;
  data->Length = 2;
  data->Width = 1.5;
  TGridTable* layers = tables.D1();
  layers->SetRowCount(2);
  for (int r = 0; r < 2; ++r) {
    layers->Column(0)->SetReal(r, r == 0 ? 0.3 : 0.2);
    layers->Column(1)->SetReal(r, 150 + 50 * r);
    layers->Column(2)->SetReal(r, 18 + r);
  }
  return data;
}

void Move(QWidget* w, const QPointF& at) {
  QMouseEvent move(QEvent::MouseMove, at, w->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(w, &move);
}

}  // namespace

class GeometryViewsTest : public QObject {
  Q_OBJECT

  test::TTestFolder folder_;

  QString Example(const QString& name) { return folder_.Example(name); }

 private slots:
  void initTestCase() {
    QVERIFY(folder_.Isolate(QStringLiteral("geometry_views_test")));
    QLocale::setDefault(QLocale::c());
  }

  void OpenFromTheMenu_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("id");
    QTest::newRow("top") << "ViewTop" << int(TChildId::TopView);
    QTest::newRow("XZ") << "ViewSideXZ" << int(TChildId::SideViewXZ);
    QTest::newRow("YZ") << "ViewSideYZ" << int(TChildId::SideViewYZ);
  }
  void OpenFromTheMenu() {
    QFETCH(QString, action);
    QFETCH(int, id);
    test::TMessageRecorder messages;
    TMainForm main;
    main.show();
    QVERIFY(!main.ChildOpen(TChildId(id)));
    main.Action(action)->trigger();
    QVERIFY(main.ChildOpen(TChildId(id)));
    auto* view = qobject_cast<TGeometryView*>(main.MdiArea()->activeSubWindow()->widget());
    QVERIFY(view);
    QCOMPARE(view->windowTitle(), main.Action(action)->text());
    main.Action(action)->trigger();  // the flag: the same window again
    QCOMPARE(main.MdiArea()->subWindowList().size(), 1);
    main.CloseChild(TChildId(id));
    QVERIFY(!main.ChildOpen(TChildId(id)));
    QVERIFY(messages.texts.isEmpty());
  }

  void FollowsTheProject() {
    test::TMessageRecorder messages;
    TMainForm main;
    main.show();
    QVERIFY(main.OpenProject(Example(QStringLiteral("pile-group-4.tvd")), false));
    auto* view = qobject_cast<TGeometryView*>(main.ShowChild(TChildId::SideViewXZ));
    QVERIFY(view);
    const TGeometryCanvas* canvas = view->Canvas();
    QCOMPARE(int(canvas->Model().piles.size()), 4);
    QCOMPARE(canvas->Model().foundation, QStringLiteral("PILE"));
    // A table change: a fifth pile, then a batter of the first one.
    main.Tables().Pilecoord()->SetRowCount(5);
    QCOMPARE(int(canvas->Model().piles.size()), 5);
    main.Tables().Pilecoord()->Column(2)->SetReal(0, 20);
    QVERIFY(canvas->Model().piles[0].Battered());
    QVERIFY(canvas->Model().piles[0].Tip().x > canvas->Model().piles[0].head.x);
    // A data window that stores a value: the view follows.
    auto* shape = qobject_cast<TChildForm*>(main.ShowChild(TChildId::PileCapProperties));
    if (!shape) shape = qobject_cast<TChildForm*>(main.ShowChild(TChildId::FoundationShape));
    QVERIFY(shape);
    main.Project().Length = 9;
    emit shape->Modified();
    QCOMPARE(canvas->Model().length, 9.0);
    // Another project replaces the drawing.
    main.SetModified(false);
    main.Tables().ClearModified();
    QVERIFY(main.OpenProject(Example(QStringLiteral("compressor-half-space.tvd")), false));
    if (main.ChildOpen(TChildId::SideViewXZ)) {  // views that stay open follow the new project
      QCOMPARE(canvas->Model().foundation, QStringLiteral("HALF-SPACE"));
      QVERIFY(canvas->Model().piles.empty());
    }
  }

  // The battered example as saved and loaded again: the batter and its plane survive.
  void BatteredExample() {
    test::TMessageRecorder messages;
    TMainForm main;
    QVERIFY(main.OpenProject(Example(QStringLiteral("pile-group-battered.tvd")), false));
    auto* view = qobject_cast<TGeometryView*>(main.ShowChild(TChildId::TopView));
    const TFoundationModel& m = view->Canvas()->Model();
    QCOMPARE(int(m.piles.size()), 6);
    QCOMPARE(int(std::count_if(m.piles.begin(), m.piles.end(), [](const auto& p) { return p.Battered(); })), 4);
    QCOMPARE(m.piles[0].plane, 1);
    QVERIFY(m.piles[0].Tip().x < m.piles[0].head.x);  // -12 degrees in XZ: outward toward -X
    QCOMPARE(m.piles[3].plane, 2);
    QVERIFY(m.piles[3].Tip().y > m.piles[3].head.y);
    QVERIFY(qAbs(m.base - 1.2) < 1e-9);
  }

  void CaptionZoomAndFit() {
    test::TMessageRecorder messages;
    TMainForm main;
    main.resize(900, 700);
    main.show();
    QVERIFY(main.OpenProject(Example(QStringLiteral("pile-group-4.tvd")), false));
    auto* view = qobject_cast<TGeometryView*>(main.ShowChild(TChildId::TopView));
    TGeometryCanvas* canvas = view->Canvas();
    canvas->resize(500, 400);
    QApplication::processEvents();
    // The pointer over the head of pile 4 at (1, 1).
    const QPointF at = canvas->Transform().ToPixel({1, 1});
    Move(canvas, at);
    QVERIFY2(view->windowTitle().startsWith(QStringLiteral("Top View  X: 1")), qPrintable(view->windowTitle()));
    QVERIFY(view->windowTitle().contains(QStringLiteral(" Y: 1")));
    Move(canvas, canvas->Transform().ToPixel({-0.123456, 2.5}));
    QCOMPARE(view->windowTitle(), QStringLiteral("Top View  X: -0.12346 Y: 2.5"));
    // The wheel zooms about the pointer; a double-click fits again.
    const double fitted = canvas->Transform().Scale();
    QWheelEvent wheel(at, canvas->mapToGlobal(at), {}, QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(canvas, &wheel);
    QVERIFY(canvas->Transform().Scale() > fitted * 1.1);
    const QPointF still = canvas->Transform().ToPlane(at);
    QVERIFY(qAbs(still.x() - 1) < 1e-9 && qAbs(still.y() - 1) < 1e-9);
    QMouseEvent twice(QEvent::MouseButtonDblClick, at, canvas->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(canvas, &twice);
    QVERIFY(qAbs(canvas->Transform().Scale() - fitted) < 1e-9);

    auto* side = qobject_cast<TGeometryView*>(main.ShowChild(TChildId::SideViewYZ));
    Move(side->Canvas(), side->Canvas()->Transform().ToPixel({0.5, -3}));
    QCOMPARE(side->windowTitle(), QStringLiteral("Side View (YZ-Plane)  Y: 0.5 Z: 3"));
  }

  void PrintAndPicture() {
    test::TMessageRecorder messages;
    TMainForm main;
    main.show();
    QVERIFY(main.OpenProject(Example(QStringLiteral("pile-group-4.tvd")), false));
    for (TChildId id : {TChildId::TopView, TChildId::SideViewXZ}) {
      auto* view = qobject_cast<TGeometryView*>(main.ShowChild(id));
      const QString pdf = folder_.Path(QStringLiteral("view%1.pdf").arg(int(id)));
      QPrinter printer(QPrinter::HighResolution);
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setOutputFileName(pdf);
      view->PrintTo(printer);
      const QByteArray bytes = ReadAll(pdf);
      QVERIFY(bytes.startsWith("%PDF"));
      const qsizetype pages = QString::fromLatin1(bytes).count(QRegularExpression(QStringLiteral("/Type\\s*/Page\\b")));
      QCOMPARE(pages, qsizetype(1));
      QVERIFY(bytes.size() > 3000);  // a drawing, not an empty page
      const QString png = folder_.Path(QStringLiteral("view%1.png").arg(int(id)));
      QVERIFY(view->SavePicture(png));
      QImage image(png);
      QVERIFY(!image.isNull());
      QVERIFY(Drawn(image) > 200);
    }
    auto* view = qobject_cast<TGeometryView*>(main.ShowChild(TChildId::TopView));
    QVERIFY(!view->SavePicture(folder_.Path(QStringLiteral("no-such-folder/view.png"))));
    QCOMPARE(messages.texts.size(), 1);
  }

  // Export PDF and SVG from the tool bar, whatever the printers: the page
  // and the picture are written; a link as target is refused and what it
  // points to is left alone.
  void ExportWithoutPrinter() {
    test::TMessageRecorder messages;
    TMainForm main;
    main.show();
    QVERIFY(main.OpenProject(Example(QStringLiteral("pile-group-4.tvd")), false));
    auto* view = qobject_cast<TGeometryView*>(main.ShowChild(TChildId::SideViewXZ));
    QVERIFY(view);
    QAction* pdf = view->findChild<QAction*>(QStringLiteral("ExportPdf"));
    QAction* svg = view->findChild<QAction*>(QStringLiteral("ExportSvg"));
    QVERIFY(pdf && svg);
    QVERIFY(pdf->isEnabled() && svg->isEnabled());
    QString target, suggested;
    SetExportPathHook([&](const QString&, const QString& proposed) {
      suggested = proposed;
      return target;
    });
    target = folder_.Path(QStringLiteral("side.pdf"));
    pdf->trigger();
    QCOMPARE(suggested, QStringLiteral("Turbine pedestal on four piles Side View XZ-Plane"));
    const QByteArray page = ReadAll(target);
    QVERIFY(page.startsWith("%PDF"));
    QCOMPARE(QString::fromLatin1(page).count(QRegularExpression(QStringLiteral("/Type\\s*/Page\\b"))), qsizetype(1));
    target = folder_.Path(QStringLiteral("side.svg"));
    svg->trigger();
    QVERIFY(ReadAll(target).contains("<svg"));
    QVERIFY(ReadAll(target).contains("Foundation: PILE"));  // text stays text
    QVERIFY(messages.texts.isEmpty());

    const QString kept = folder_.Path(QStringLiteral("kept.txt"));
    QVERIFY(WriteAll(kept, "not a picture"));
    for (QAction* action : {pdf, svg}) {
      target = folder_.Path(QStringLiteral("link-%1").arg(action->objectName()));
      QVERIFY(QFile::link(kept, target));
      messages.Clear();
      action->trigger();
      QCOMPARE(messages.texts.size(), 1);
      QVERIFY(QFileInfo(target).isSymLink());
      QCOMPARE(ReadAll(kept), QByteArray("not a picture"));
    }
    SetExportPathHook({});
  }

  // A page drawn at four times the screen's resolution is the screen's page
  // four times larger: the legend's text grows by four, not by the square
  // of it as when a point size meets a scaled painter.
  void TextOnPaperAtScreenSize() {
    test::TMessageRecorder messages;
    TMainForm main;
    main.show();
    QVERIFY(main.OpenProject(Example(QStringLiteral("pile-group-4.tvd")), false));
    auto* view = qobject_cast<TGeometryView*>(main.ShowChild(TChildId::TopView));
    QVERIFY(view);
    std::vector<int> heights;
    for (int k : {1, 4}) {
      QImage page(QSize(700, 500) * k, QImage::Format_RGB32);
      page.setDotsPerMeterX(qRound(96 * k / 0.0254));
      page.setDotsPerMeterY(qRound(96 * k / 0.0254));
      page.fill(Qt::white);
      {
        QPainter p(&page);
        view->PaintPage(p, QRectF(page.rect()), 96.0 * k);
      }
      // Title, view name, then the legend's first line.
      const auto lines = InkRows(page, page.width() / 4);
      QVERIFY2(lines.size() >= 3, qPrintable(QString::number(lines.size())));
      heights.push_back(lines[2].second - lines[2].first + 1);
      QVERIFY(heights.back() >= 6 * k);  // legible
    }
    const double ratio = double(heights[1]) / heights[0];
    QVERIFY2(ratio > 3.3 && ratio < 4.7, qPrintable(QStringLiteral("%1 -> %2").arg(heights[0]).arg(heights[1])));
  }

  // The views of a small embedded block: the footing's label, the layers',
  // the half-space's or the bed rock's, the ground's and the frame never
  // overlap and stay in the canvas, at the window's size, on a small or a
  // flat window and zoomed.
  void LabelsApart_data() {
    QTest::addColumn<int>("plane");
    QTest::addColumn<bool>("stratum");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<double>("zoom");
    for (bool stratum : {false, true})
      for (TViewPlane plane : {TViewPlane::SideXZ, TViewPlane::SideYZ, TViewPlane::Top}) {
        const QString name = TGeometryView::ViewName(plane) + (stratum ? " stratum" : " half-space");
        QTest::newRow(qPrintable(name + " window")) << int(plane) << stratum << QSize(520, 420) << 1.0;
        QTest::newRow(qPrintable(name + " small")) << int(plane) << stratum << QSize(240, 170) << 1.0;
        QTest::newRow(qPrintable(name + " flat")) << int(plane) << stratum << QSize(900, 260) << 1.0;
        QTest::newRow(qPrintable(name + " zoomed")) << int(plane) << stratum << QSize(520, 420) << 3.0;
      }
  }
  void LabelsApart() {
    QFETCH(int, plane);
    QFETCH(bool, stratum);
    QFETCH(QSize, size);
    QFETCH(double, zoom);
    TProjectTables tables;
    auto data = EmbeddedBlock(tables, stratum);
    TGeometryCanvas canvas(TViewPlane(plane), [&]() -> const TProgramData& { return *data; }, tables);
    canvas.resize(size);
    canvas.FitToWindow();
    TViewTransform t = canvas.Transform();
    t.ZoomAbout(QPointF(size.width() / 2.0, size.height() / 2.0), zoom);
    const std::vector<TPlacedLabel> labels = canvas.PlacedLabels(QSizeF(size), t);
    const QRectF bounds(QPointF(0, 0), QSizeF(size));
    QStringList texts;
    for (size_t i = 0; i < labels.size(); ++i) {
      texts << labels[i].text;
      QVERIFY2(bounds.contains(labels[i].box), qPrintable(labels[i].text));
      for (size_t j = i + 1; j < labels.size(); ++j)
        QVERIFY2(!labels[i].box.intersects(labels[j].box), qPrintable(labels[i].text + " / " + labels[j].text));
    }
    QVERIFY(texts.contains(stratum ? QStringLiteral("Foundation: STRATUM") : QStringLiteral("Foundation: HALF-SPACE")));
    if (TViewPlane(plane) != TViewPlane::Top && size == QSize(520, 420) && zoom == 1.0) {
      const QString all = texts.join(QLatin1Char('|'));
      QVERIFY2(all.contains(QStringLiteral("t = 0.5, embedment 0.5")), qPrintable(all));
      QVERIFY2(all.contains(QStringLiteral("Ground surface")), qPrintable(all));
      QVERIFY2(all.contains(QStringLiteral("h = 0.3")) && all.contains(QStringLiteral("h = 0.2")), qPrintable(all));
      const QString below = stratum ? QStringLiteral("Bed rock at 1.2") : QStringLiteral("Half-space");
      QVERIFY2(all.contains(below), qPrintable(all));
    }
    // The drawing itself renders with the same placement and does not fail.
    QImage image(size, QImage::Format_RGB32);
    QPainter p(&image);
    canvas.Render(p, QRectF(image.rect()), t);
    p.end();
    QVERIFY(Drawn(image) > 200);
  }

  void Viewer() {
    TProjectTables tables;
    auto data = NewProject(tables);
    data->SetFoundation(TFoundationType::Pile);
    data->Length = 4;
    data->Width = 4;
    tables.Pilecoord()->SetRowCount(2);
    tables.Pilecoord()->Column(0)->SetReal(1, 2);
    tables.Pilecoord()->Column(2)->SetReal(1, 15);
    data->Battered = true;
    QTemporaryDir folder;
    const QString tvt = folder.filePath(QStringLiteral("p.tvt"));
    QVERIFY(WriteAll(tvt, GeometryFileText(*data, tables)));
    const QString names = folder.filePath(QStringLiteral("names.dat"));
    QVERIFY(WriteAll(names, "p.tvd\r\np.tvo\r\np.tvp\r\np.tvr\r\n" + tvt.toLocal8Bit() + "\r\n" + tvt.toLocal8Bit() + "\r\n"));

    TViewerWindow window;
    window.resize(500, 400);
    window.show();
    QVERIFY(window.Load(folder.path()));
    QVERIFY(window.Message().isEmpty());
    QVERIFY(window.windowTitle().contains(QStringLiteral("p.tvt")));
    QImage shot(window.View()->size(), QImage::Format_ARGB32);
    window.View()->render(&shot);
    QVERIFY(Drawn(shot) > 200);
    // Damaged, then missing: a message and an empty view, never a crash.
    QVERIFY(WriteAll(tvt, "RECTANGULAR \r\n 4 4 0.6\r\n2\r\n"));
    QVERIFY(!window.Load(folder.path()));
    QVERIFY2(window.Message().contains(QStringLiteral("damaged")), qPrintable(window.Message()));
    QFile::remove(tvt);
    QVERIFY(!window.Load(folder.path()));
    QVERIFY(window.Message().contains(QStringLiteral("p.tvt")));
    QFile::remove(names);
    QVERIFY(!window.Load(folder.path()));
    QVERIFY(window.Message().contains(QStringLiteral("names.dat")));
    QVERIFY(WriteAll(names, "p.tvd\r\np.tvo\r\n"));
    QVERIFY(!window.Load(folder.path()));
    QVERIFY(window.Message().contains(QStringLiteral("fifth line")));
  }
};

QTEST_MAIN(GeometryViewsTest)
#include "geometry_views_test.moc"
