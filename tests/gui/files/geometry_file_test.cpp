// The geometry file read back: files written by the project writer for every
// foundation type, and damaged or missing files, which give a message and
// no result.
#include "gui/files/ProjectWriter.hpp"
#include "gui/model/GeometryFile.hpp"
#include "gui/model/ProgramData.hpp"
#include "gui/model/ProjectTables.hpp"
#include "gui/model/Table.hpp"

#include <QTemporaryDir>
#include <QtTest>

using namespace terva::gui;

class GeometryFileTest : public QObject {
  Q_OBJECT

  TProjectTables tables_;

  void Set(TGridTable* t, int column, int row, double v) { t->Column(column)->SetReal(row, v); }

 private slots:
  void initTestCase() { QLocale::setDefault(QLocale::c()); }

  void PileGroupWithBatter() {
    auto data = NewProject(tables_);
    data->SetFoundation(TFoundationType::Pile);
    data->Length = 4;
    data->Width = 3;
    data->PileLength = 12;
    tables_.Pilecoord()->SetRowCount(3);
    tables_.PileData()->SetRowCount(2);
    tables_.pilecapsoil()->SetRowCount(2);
    for (int r = 0; r < 3; ++r) {
      Set(tables_.Pilecoord(), 0, r, -1.5 + 1.5 * r);
      Set(tables_.Pilecoord(), 1, r, 0.5 * r);
    }
    Set(tables_.Pilecoord(), 2, 0, 10);   // battered in XZ
    Set(tables_.Pilecoord(), 2, 2, -15);  // battered in YZ
    tables_.Pilecoord()->Column(3)->SetInteger(2, 2);
    Set(tables_.PileData(), 0, 0, 5);
    Set(tables_.PileData(), 0, 1, 7);
    Set(tables_.PileData(), 1, 0, 0.25);
    Set(tables_.PileData(), 2, 1, 0.2);
    Set(tables_.pilecapsoil(), 0, 0, 0.5);
    Set(tables_.pilecapsoil(), 0, 1, 0.7);
    data->Battered = true;

    QString error;
    const auto g = ReadGeometryFile(GeometryFileText(*data, tables_), &error);
    QVERIFY2(g, qPrintable(error));
    QVERIFY(!g->circular);
    QCOMPARE(g->length, 4.0);
    QCOMPARE(g->width, 3.0);
    QCOMPARE(g->thickness, 1.2);  // the cap's side layers
    QCOMPARE(g->pileLength, 12.0);
    QCOMPARE(int(g->piles.size()), 3);
    QCOMPARE(g->piles[2].x, 1.5);
    QCOMPARE(g->piles[2].y, 1.0);
    QCOMPARE(g->piles[0].planeDegrees, 0);
    QCOMPARE(g->piles[0].angle, 10.0);
    QCOMPARE(g->piles[2].planeDegrees, 90);
    QCOMPARE(g->piles[2].angle, -15.0);
    QCOMPARE(int(g->elements.size()), 2);
    QCOMPARE(g->elements[1].length, 7.0);
    QCOMPARE(g->elements[0].radiusX, 0.25);
    QCOMPARE(g->elements[1].radiusY, 0.2);
    QCOMPARE(g->foundation, QStringLiteral("PILE"));
    QCOMPARE(g->layers, (std::vector<double>{0.5, 0.7}));
    QCOMPARE(g->soilDepth, 12.0);
  }

  // A pile foundation whose pile table is empty still writes its pile block.
  void PileFoundationWithoutPiles() {
    auto data = NewProject(tables_);
    data->SetFoundation(TFoundationType::Pile);
    data->Length = 2;
    data->Width = 2;
    tables_.Pilecoord()->SetRowCount(0);
    QString error;
    const auto g = ReadGeometryFile(GeometryFileText(*data, tables_), &error);
    QVERIFY2(g, qPrintable(error));
    QVERIFY(g->piles.empty());
    QCOMPARE(g->foundation, QStringLiteral("PILE"));
    QCOMPARE(g->pileLength, 4.0);  // the default: twice the length
  }

  void OtherTypes_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("circular");
    QTest::addColumn<bool>("firstLayerEmpty");
    QTest::addColumn<std::vector<double>>("layers");
    QTest::newRow("half-space, circular") << int(TFoundationType::HalfSpace) << true << false
                                          << std::vector<double>{0.4, 0.6};
    QTest::newRow("half-space, surface footing") << int(TFoundationType::HalfSpace) << false << true
                                                 << std::vector<double>{};
    QTest::newRow("stratum") << int(TFoundationType::Stratum) << false << false << std::vector<double>{1.0};
    QTest::newRow("multilayer") << int(TFoundationType::Multilayer) << true << false
                                << std::vector<double>{0.8, 1.1};
  }
  void OtherTypes() {
    QFETCH(int, type);
    QFETCH(bool, circular);
    QFETCH(bool, firstLayerEmpty);
    QFETCH(std::vector<double>, layers);
    auto data = NewProject(tables_);
    data->SetFoundation(TFoundationType(type));
    data->Circular = circular ? 1 : 0;
    data->Radius = 2;
    data->Length = 5;
    data->Width = 3;
    if (TFoundationType(type) == TFoundationType::Multilayer) {
      tables_.MultiElement()->SetRowCount(3);
      tables_.D()->SetRowCount(2);
      Set(tables_.MultiElement(), 0, 0, 0.8);
      Set(tables_.MultiElement(), 0, 1, 1.1);
      Set(tables_.MultiElement(), 0, 2, 4.0);  // below the embedded part: not in the file
    } else {
      tables_.D1()->SetRowCount(firstLayerEmpty ? 1 : int(layers.size()));
      for (int r = 0; r < int(layers.size()); ++r) Set(tables_.D1(), 0, r, layers[size_t(r)]);
    }
    QString error;
    const auto g = ReadGeometryFile(GeometryFileText(*data, tables_), &error);
    QVERIFY2(g, qPrintable(error));
    QCOMPARE(g->circular, circular);
    QCOMPARE(g->foundation, FoundationWord(TFoundationType(type)));
    QVERIFY(g->piles.empty());
    QCOMPARE(g->layers, layers);
    double sum = 0;
    for (double h : layers) sum += h;
    // The footing is as thick as its embedment, or 0.15 of its breadth on the surface.
    QCOMPARE(g->thickness, sum > 0 ? sum : 0.15 * (circular ? 2.0 : 3.0));
    QVERIFY(g->soilDepth > 0);  // the default pile length doubles as the soil block's depth
  }

  // Every truncation of a good file, and a few kinds of damage, give a
  // message naming a line and never a result that pretends to be whole.
  void DamagedFiles() {
    auto data = NewProject(tables_);
    data->SetFoundation(TFoundationType::Pile);
    data->Battered = true;
    tables_.Pilecoord()->SetRowCount(2);
    tables_.pilecapsoil()->SetRowCount(1);
    Set(tables_.pilecapsoil(), 0, 0, 0.5);
    const QByteArray good = GeometryFileText(*data, tables_);
    const QList<QByteArray> lines = good.split('\n');
    QVERIFY(ReadGeometryFile(good));
    for (int n = 0; n + 2 < lines.size(); ++n) {  // shorter than the whole file
      QString error;
      const QByteArray cut = lines.mid(0, n).join('\n');
      // A file cut right after the type line is a legal file without layers.
      if (ReadGeometryFile(cut, &error)) {
        QVERIFY2(cut.trimmed().endsWith("PILE"), cut.constData());
        continue;
      }
      QVERIFY2(error.contains(QStringLiteral("Line ")), qPrintable(error));
    }
    const QList<QByteArray> damaged = {
        "", "OVAL \r\n 1 1 1\r\n", "RECTANGULAR \r\n 1 x 1\r\n 0\r\nSOIL\r\nHALF-SPACE\r\n",
        "RECTANGULAR \r\n 1 1 1\r\n999999999\r\n", "RECTANGULAR \r\n 1 1 1\r\n-3\r\n",
        "RECTANGULAR \r\n 1 1 1\r\n1.5\r\n", "RECTANGULAR \r\n 1 1 1\r\n 0\r\nGROUND\r\n",
        "RECTANGULAR \r\n 1 1 nan\r\n 0\r\nSOIL\r\nHALF-SPACE\r\n",
        "RECTANGULAR \r\n 1 1 1\r\n 0\r\nSOIL\r\nHALF-SPACE\r\n2\r\n4\r\n1 0.5\r\n",
        QByteArray(1000, '\0')};
    for (const QByteArray& text : damaged) {
      QString error;
      QVERIFY2(!ReadGeometryFile(text, &error), text.constData());
      QVERIFY(error.startsWith(QStringLiteral("The geometry file is damaged.")));
    }
  }

  void MissingFileAndRunList() {
    QTemporaryDir dir;
    QString error;
    QVERIFY(!ReadGeometryFilePath(dir.filePath(QStringLiteral("none.tvt")), &error));
    QVERIFY(error.contains(QStringLiteral("none.tvt")));
    QCOMPARE(GeometryFileOfRunList("a.tvd\r\na.tvo\r\na.tvp\r\na.tvr\r\nC:\\p\\a b.tvt  \r\na.tvt\r\n"),
             QStringLiteral("C:\\p\\a b.tvt"));
    error.clear();
    QVERIFY(GeometryFileOfRunList("a.tvd\na.tvo\na.tvp\n", &error).isEmpty());
    QVERIFY(error.contains(QStringLiteral("names.dat")));
  }
};

QTEST_GUILESS_MAIN(GeometryFileTest)
#include "geometry_file_test.moc"
