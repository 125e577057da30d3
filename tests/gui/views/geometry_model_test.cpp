// What the geometry views draw, without widgets: the view transformation,
// the piles and a battered pile's tip, the soil bands' depths by foundation
// type, and the model of the geometry file agreeing with the project's.
#include "gui/files/ProjectWriter.hpp"
#include "gui/model/GeometryFile.hpp"
#include "gui/model/ProgramData.hpp"
#include "gui/model/ProjectTables.hpp"
#include "gui/model/Table.hpp"
#include "gui/views/GeometryModel.hpp"
#include "gui/views/Viewer3D.hpp"

#include <QtTest>

#include <cmath>

using namespace terva::gui;

namespace {
bool Near(double a, double b, double tol = 1e-9) { return std::abs(a - b) <= tol * std::max(1.0, std::abs(b)); }
}  // namespace

class GeometryModelTest : public QObject {
  Q_OBJECT

  TProjectTables tables_;

  void Set(TGridTable* t, int column, int row, double v) { t->Column(column)->SetReal(row, v); }

  std::unique_ptr<TProgramData> PileGroup() {
    auto data = NewProject(tables_);
    data->SetFoundation(TFoundationType::Pile);
    data->Length = 6;
    data->Width = 4;
    data->Xc = 10;
    data->Yc = -2;
    data->PileLength = 10;
    tables_.Pilecoord()->SetRowCount(2);
    tables_.PileData()->SetRowCount(2);
    tables_.D()->SetRowCount(2);
    tables_.pilecapsoil()->SetRowCount(1);
    Set(tables_.Pilecoord(), 0, 0, -2);
    Set(tables_.Pilecoord(), 1, 0, 1);
    Set(tables_.Pilecoord(), 0, 1, 2);
    Set(tables_.Pilecoord(), 2, 1, 30);
    tables_.Pilecoord()->Column(3)->SetInteger(1, 1);
    Set(tables_.PileData(), 0, 0, 4);
    Set(tables_.PileData(), 0, 1, 6);
    Set(tables_.PileData(), 1, 0, 0.3);
    Set(tables_.D(), 0, 0, 150);
    Set(tables_.D(), 1, 0, 18);
    Set(tables_.pilecapsoil(), 0, 0, 1.5);
    return data;
  }

 private slots:
  void initTestCase() { QLocale::setDefault(QLocale::c()); }

  // Fit: the whole plane rectangle inside the margin, centred, one scale for both axes.
  void TransformFit_data() {
    QTest::addColumn<QRectF>("world");
    QTest::addColumn<QSizeF>("pixels");
    QTest::newRow("wide world") << QRectF(-10, -1, 20, 2) << QSizeF(400, 300);
    QTest::newRow("tall world") << QRectF(3, -50, 2, 45) << QSizeF(400, 300);
    QTest::newRow("off the origin") << QRectF(1000, 2000, 5, 5) << QSizeF(300, 500);
  }
  void TransformFit() {
    QFETCH(QRectF, world);
    QFETCH(QSizeF, pixels);
    TViewTransform t;
    t.Fit(world, pixels, 20);
    const QPointF a = t.ToPixel(world.topLeft()), b = t.ToPixel(world.bottomRight());
    // v up: the world's larger v is the smaller pixel row.
    QVERIFY(b.y() < a.y());
    const double w = b.x() - a.x(), h = a.y() - b.y();
    QVERIFY(Near(w / world.width(), h / world.height()));  // equal scales
    QVERIFY(w <= pixels.width() - 40 + 1e-6 && h <= pixels.height() - 40 + 1e-6);
    QVERIFY(Near(w, pixels.width() - 40) || Near(h, pixels.height() - 40));  // fills one direction
    const QPointF centre = t.ToPixel(world.center());
    QVERIFY(Near(centre.x(), pixels.width() / 2) && Near(centre.y(), pixels.height() / 2));
  }

  void TransformZoomAndCaption() {
    TViewTransform t;
    t.Fit(QRectF(0, 0, 10, 10), QSizeF(200, 200), 0);
    QVERIFY(Near(t.Scale(), 20));
    // Pixel (0, 0) is the plane's (0, 10); (100, 100) its centre.
    QVERIFY(Near(t.ToPlane({0, 0}).x(), 0) && Near(t.ToPlane({0, 0}).y(), 10));
    const QPointF pointer(37, 151);
    const QPointF under = t.ToPlane(pointer);
    t.ZoomAbout(pointer, 2.5);
    QVERIFY(Near(t.Scale(), 50));
    QVERIFY(Near(t.ToPlane(pointer).x(), under.x()) && Near(t.ToPlane(pointer).y(), under.y()));
    t.ZoomAbout(pointer, 0);  // refused, nothing changes
    t.ZoomAbout(pointer, std::nan(""));
    QVERIFY(Near(t.Scale(), 50));
    t.Pan({10, -5});
    QVERIFY(Near(t.ToPlane(pointer + QPointF(10, -5)).x(), under.x()));
    for (const QPointF& q : {QPointF(0, 0), QPointF(-3.5, 7.25)}) {
      const QPointF back = t.ToPlane(t.ToPixel(q));
      QVERIFY(Near(back.x(), q.x(), 1e-9) && Near(back.y(), q.y(), 1e-9));
    }
    QCOMPARE(RoundLength(0.73), 0.5);
    QCOMPARE(RoundLength(3.1), 2.0);
    QCOMPARE(RoundLength(10.0), 10.0);
  }

  void PilesAndBatter() {
    auto data = PileGroup();
    const TFoundationModel m = ModelOfProject(*data, tables_);
    QCOMPARE(int(m.piles.size()), 2);
    // Piles relative to the cap's centre, their heads at the cap's base.
    QVERIFY(Near(m.piles[0].head.x, 8) && Near(m.piles[0].head.y, -1) && Near(m.piles[0].head.z, 1.5));
    QVERIFY(!m.piles[0].Battered());
    QVERIFY(Near(m.piles[0].Tip().z, 11.5) && Near(m.piles[0].Tip().x, 8));
    // 30 degrees in the XZ plane: the tip 10 sin 30 = 5 to +X and 10 cos 30 below the head.
    const TPoint3 tip = m.piles[1].Tip();
    QVERIFY(Near(tip.x, 12 + 5) && Near(tip.y, -2) && Near(tip.z, 1.5 + 10 * std::sqrt(3.0) / 2));
    QCOMPARE(m.piles[1].divisions, (std::vector<double>{4, 10}));
    QVERIFY(Near(m.piles[1].radius, 0.3));
    // The same batter in the YZ plane moves the tip along Y instead.
    tables_.Pilecoord()->Column(3)->SetInteger(1, 2);
    const TPoint3 yz = ModelOfProject(*data, tables_).piles[1].Tip();
    QVERIFY(Near(yz.x, 12) && Near(yz.y, -2 + 5));
    // The plan extent reaches the battered tip.
    QVERIFY(ModelOfProject(*data, tables_).PlanExtent().bottom() >= 3 - 1e-9);
  }

  void LayerBands() {
    auto data = PileGroup();
    const TFoundationModel pile = ModelOfProject(*data, tables_);
    // The cap's side layer, then one band per pile element below the cap.
    QCOMPARE(int(pile.layers.size()), 3);
    QVERIFY(Near(pile.layers[0].bottom, 1.5) && Near(pile.base, 1.5));
    QVERIFY(Near(pile.layers[1].top, 1.5) && Near(pile.layers[1].bottom, 5.5) && Near(pile.layers[2].bottom, 11.5));
    QVERIFY(pile.layers[1].label.contains(QStringLiteral("150")) && pile.layers[1].label.contains(QStringLiteral("18")));
    QVERIFY(Near(pile.belowTop, 11.5));
    QVERIFY(pile.soilDepth > 11.5);  // below the deepest tip

    auto hs = NewProject(tables_);
    hs->Length = 4;
    hs->Width = 2;
    tables_.D1()->SetRowCount(2);
    Set(tables_.D1(), 0, 0, 0.5);
    Set(tables_.D1(), 0, 1, 0.75);
    const TFoundationModel half = ModelOfProject(*hs, tables_);
    QCOMPARE(int(half.layers.size()), 2);
    QVERIFY(Near(half.layers[1].top, 0.5) && Near(half.layers[1].bottom, 1.25));
    QVERIFY(Near(half.base, 1.25) && Near(half.belowTop, 1.25));  // embedded by its side layers
    QVERIFY(!half.legend.isEmpty());

    hs->SetFoundation(TFoundationType::Stratum);
    hs->BedrockDepth = 8;
    hs->BaseDepth = 2;
    const TFoundationModel stratum = ModelOfProject(*hs, tables_);
    QVERIFY(stratum.rockDepth && Near(*stratum.rockDepth, 8));
    QVERIFY(Near(stratum.base, 2) && stratum.soilDepth > 8);

    auto ml = NewProject(tables_);
    ml->SetFoundation(TFoundationType::Multilayer);
    tables_.MultiElement()->SetRowCount(3);
    tables_.D()->SetRowCount(1);
    tables_.Multisoil()->SetRowCount(2);
    for (int r = 0; r < 3; ++r) Set(tables_.MultiElement(), 0, r, 1.0 + r);
    Set(tables_.Multisoil(), 0, 1, 222);  // Vs of the second layer below the embedded part
    const TFoundationModel multi = ModelOfProject(*ml, tables_);
    QCOMPARE(int(multi.column.size()), 3);
    QVERIFY(Near(multi.column[2].top, 3) && Near(multi.column[2].bottom, 6));
    QCOMPARE(int(multi.layers.size()), 3);
    QVERIFY(Near(multi.base, 1) && Near(multi.belowTop, 6));
    QVERIFY(multi.layers[2].label.contains(QStringLiteral("222")));
  }

  // The viewer's model of the written file puts the piles where the views do.
  void GeometryFileModel() {
    auto data = PileGroup();
    data->Xc = 0;
    data->Yc = 0;
    data->Battered = true;
    const auto file = ReadGeometryFile(GeometryFileText(*data, tables_));
    QVERIFY(file);
    const TFoundationModel fromFile = ModelOfGeometryFile(*file);
    const TFoundationModel fromProject = ModelOfProject(*data, tables_);
    QCOMPARE(fromFile.piles.size(), fromProject.piles.size());
    for (size_t i = 0; i < fromFile.piles.size(); ++i) {
      const TPoint3 a = fromFile.piles[i].Tip(), b = fromProject.piles[i].Tip();
      QVERIFY(Near(a.x, b.x, 1e-6) && Near(a.y, b.y, 1e-6) && Near(a.z, b.z, 1e-6));
    }
    QVERIFY(!SceneFaces(fromFile).empty());
    // Plane views of the camera: the top view is X right, Y up; the XZ view X right, height up.
    const QPointF top = TCamera::Top().Project({2, 3, 5});
    QVERIFY(Near(top.x(), 2) && Near(top.y(), 3));
    const QPointF front = TCamera::FrontXZ().Project({2, 3, 5});
    QVERIFY(Near(front.x(), 2) && Near(front.y(), -5));
    const QPointF side = TCamera::SideYZ().Project({2, 3, 5});
    QVERIFY(Near(side.x(), 3) && Near(side.y(), -5));
  }
};

QTEST_GUILESS_MAIN(GeometryModelTest)
#include "geometry_model_test.moc"
