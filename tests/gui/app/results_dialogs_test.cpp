// The results of a run in the main window: File > Export Results writes the
// batch tool's files and leaves the project alone; the springs and dashpots
// dialog interpolates at a typed frequency, refuses one outside the computed
// range inside the dialog and copies its table. The pile-group example is
// run once with the real engine library in this test's own folder.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

#include <cmath>

#include "gui/app/Main.hpp"
#include "gui/app/ResultsDialogs.hpp"
#include "gui/core/Messages.hpp"
#include "gui/model/ProgramData.hpp"
#include "support/TestFolder.hpp"

using namespace terva::gui;

namespace {

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool Close(double a, double b) { return std::abs(a - b) <= 1e-5 * std::max(std::abs(a), std::abs(b)); }

}  // namespace

class ResultsDialogsTest : public QObject {
  Q_OBJECT

  terva::gui::test::TTestFolder folder_;
  QStringList messages_;
  int choice_ = -1;
  QString project_;
  TResultsData data_;
  TResultsInfo info_;

 private slots:
  void initTestCase() {
    QVERIFY(folder_.Isolate());
    QLocale::setDefault(QLocale::c());
    SetMessageSink([this](const TMessage& message) {
      messages_.append(message.text);
      return int(MbOk);
    });
    TMainForm::SetExportChoiceHook([this] { return choice_; });
    project_ = folder_.Example(QStringLiteral("pile-group-4.tvd"), QStringLiteral("pedestal.tvd"));
    QVERIFY(!project_.isEmpty());
  }

  void init() { messages_.clear(); }

  // Before a run both commands are grey; after it they are there, and the
  // files they write are the batch tool's.
  void exportAfterARun() {
    TMainForm main;
    main.Start(project_);
    main.UpdateFileMenu();
    main.UpdateComputationMenu();
    QVERIFY(!main.Action(QStringLiteral("FileExportResults"))->isEnabled());
    QVERIFY(!main.Action(QStringLiteral("SpringsDashpots"))->isEnabled());
    main.RunAnalysis();
    QVERIFY(main.ResultsAvailable());
    main.UpdateFileMenu();
    main.UpdateComputationMenu();
    QVERIFY(main.Action(QStringLiteral("FileExportResults"))->isEnabled());
    QVERIFY(main.Action(QStringLiteral("SpringsDashpots"))->isEnabled());

    const QByteArray project = ReadAll(project_);
    const QString json = folder_.Path("pedestal.results.json");
    const QString impedance = folder_.Path("pedestal.impedance.csv");
    const QString response = folder_.Path("pedestal.response.csv");
    // Cancelled: nothing.
    messages_.clear();
    choice_ = -1;
    main.Action(QStringLiteral("FileExportResults"))->trigger();
    QVERIFY(messages_.isEmpty());
    QVERIFY(!QFile::exists(json) && !QFile::exists(impedance));

    choice_ = 1;
    main.Action(QStringLiteral("FileExportResults"))->trigger();
    QCOMPARE(messages_.size(), 1);
    QVERIFY(messages_.first().contains(QStringLiteral("pedestal.results.json")));
    const QJsonObject root = QJsonDocument::fromJson(ReadAll(json)).object();
    QCOMPARE(root.value("title").toString(), QStringLiteral("Turbine pedestal on four piles"));
    QCOMPARE(root.value("unit_system").toString(), QStringLiteral("SI"));
    // The numbers are the plots' (the same graphic data file, as floats).
    const QJsonArray kxx = root.value("stiffness").toObject().value("Kxx").toArray();
    const TLine& plotted = main.Plots().pltRealKXX.Line(0);
    QCOMPARE(kxx.size(), plotted.PointCount());
    for (int i = 0; i < kxx.size(); ++i)
      QCOMPARE(float(kxx[i].toDouble()), float(plotted.Points[size_t(i)].Y));
    const QJsonArray uox = root.value("response").toObject().value("amplitudes").toObject().value("UOX").toArray();
    QCOMPARE(float(uox.last().toDouble()), float(main.Plots().pltDxyzR.Line(0).Points.back().Y));

    messages_.clear();
    choice_ = 0;
    QVERIFY(main.ExportResultsAs(0));
    QVERIFY(ReadAll(impedance).startsWith("frequency (Hz),frequency (rad/s),Kxx (kN/m)"));
    QCOMPARE(ReadAll(response).count('\n'), 1 + plotted.PointCount());
    // The project is as it was, and not marked changed.
    QCOMPARE(ReadAll(project_), project);
    QVERIFY(!main.Modified());

    // A damaged graphic data file: said, nothing written, no crash.
    QFile::remove(json);
    QFile tvp(folder_.Path("pedestal.tvp"));
    const QByteArray good = ReadAll(tvp.fileName());
    QVERIFY(tvp.open(QIODevice::WriteOnly | QIODevice::Truncate));
    tvp.write("25\n 1.0 garbage\n");
    tvp.close();
    messages_.clear();
    QVERIFY(!main.ExportResultsAs(1));
    QCOMPARE(messages_.size(), 1);
    QVERIFY(!QFile::exists(json));
    messages_.clear();
    QTimer guard;  // closes a dialog that should not have opened
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, this, [] {
      if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
    });
    guard.start(0);
    main.ShowSpringsDashpots();  // refused with the reader's message, no dialog
    QVERIFY(guard.isActive());
    guard.stop();
    QCOMPARE(messages_.size(), 1);
    QVERIFY(tvp.open(QIODevice::WriteOnly | QIODevice::Truncate));
    tvp.write(good);
    tvp.close();
    messages_.clear();

    // The Computation menu's command opens the dialog on these results.
    bool opened = false;
    QTimer::singleShot(0, this, [&opened] {
      auto* dialog = qobject_cast<TDlgSpringsDashpots*>(QApplication::activeModalWidget());
      opened = dialog && dialog->RangeLabel()->text().contains(QStringLiteral("frequencies"));
      if (dialog) dialog->reject();
    });
    main.Action(QStringLiteral("SpringsDashpots"))->trigger();
    QVERIFY(opened);
    QVERIFY(messages_.isEmpty());

    QString error;
    QVERIFY(ReadResults(folder_.Path("pedestal.tvp"), data_, &error));
    info_ = DescribeProject(project_);
  }

  void exportDialog() {
    TDlgExportResults dialog(project_);
    QCOMPARE(dialog.Format(), TExportFormat::Csv);
    QVERIFY(dialog.CsvButton()->text().contains(QStringLiteral("pedestal.impedance.csv")));
    QVERIFY(dialog.JsonButton()->text().contains(QStringLiteral("pedestal.results.json")));
    dialog.JsonButton()->click();
    QCOMPARE(dialog.Format(), TExportFormat::Json);
  }

  void springsAndDashpots() {
    QVERIFY(data_.HasImpedance());
    const int n = int(data_.omega.size());
    QVERIFY(n > 3);
    TDlgSpringsDashpots dialog(data_, info_);
    dialog.show();
    QVERIFY(dialog.RangeLabel()->text().contains(QStringLiteral("%1 frequencies").arg(n)));
    QVERIFY(dialog.ErrorLabel()->text().isEmpty());
    QVERIFY(!dialog.CopyButton()->isEnabled());
    QLineEdit* field = dialog.FrequencyField();

    // A computed frequency in rad/s (its own unit overrides the list's).
    dialog.UnitBox()->setCurrentText(QStringLiteral("rpm"));
    const int i = n / 2;
    QTest::keyClicks(field, QString::number(data_.omega[size_t(i)], 'g', 9) + QStringLiteral("rad/s"));
    QVERIFY(dialog.Values().ok);
    QCOMPARE(dialog.Values().stiffness[0], double(data_.stiffness[0][size_t(i)]));
    QCOMPARE(dialog.Values().damping[2], double(data_.damping[2][size_t(i)]));
    QVERIFY(dialog.Table()->toPlainText().contains(QStringLiteral("kN/m")));

    // Halfway between two computed frequencies, a bare number in the list's unit.
    dialog.UnitBox()->setCurrentText(QStringLiteral("rad/s"));
    const double middle = (double(data_.omega[size_t(i)]) + double(data_.omega[size_t(i + 1)])) / 2;
    field->setText(QString::number(middle, 'g', 17));
    QVERIFY(dialog.Values().ok);
    for (int k = 0; k < 6; ++k) {
      QVERIFY(Close(dialog.Values().stiffness[size_t(k)],
                    (double(data_.stiffness[size_t(k)][size_t(i)]) + double(data_.stiffness[size_t(k)][size_t(i + 1)])) / 2));
      const double d = dialog.Values().damping[size_t(k)] * middle / (2 * dialog.Values().stiffness[size_t(k)]);
      if (dialog.Values().stiffness[size_t(k)] > 0) QVERIFY(Close(dialog.Values().ratio[size_t(k)], d));
    }
    // The same frequency in rpm: ω·60/(2π)... as the list converts it.
    dialog.UnitBox()->setCurrentText(QStringLiteral("rpm"));
    field->setText(QString::number(FromRadPerSecond(middle, TFrequencyUnit::Rpm), 'g', 17));
    QVERIFY(dialog.Values().ok);
    QVERIFY(Close(dialog.Values().omega, middle));

    // Copy: the table as text on the clipboard.
    QApplication::clipboard()->clear();
    dialog.CopyButton()->click();
    QCOMPARE(QApplication::clipboard()->text(), dialog.Table()->toPlainText());
    QVERIFY(QApplication::clipboard()->text().contains(QStringLiteral("Kxx")) ||
            QApplication::clipboard()->text().contains(QStringLiteral("xx")));

    // Outside the computed range, not a number, an unknown unit: said in the
    // dialog, the table empty, nothing to copy, no message box.
    messages_.clear();
    for (const QString& text : {QString::number(data_.omega.back() * 2, 'g', 9) + "rad/s", QStringLiteral("fast"),
                                QStringLiteral("25 knots"), QStringLiteral("-5"), QStringLiteral("0.0001Hz")}) {
      field->setText(text);
      QVERIFY2(!dialog.Values().ok, qPrintable(text));
      QVERIFY2(!dialog.ErrorLabel()->text().isEmpty(), qPrintable(text));
      QVERIFY(dialog.Table()->toPlainText().isEmpty());
      QVERIFY(!dialog.CopyButton()->isEnabled());
    }
    QVERIFY(messages_.isEmpty());
    field->clear();
    QVERIFY(dialog.ErrorLabel()->text().isEmpty());

    // Results without stiffness and damping (no MATRIX): said at once.
    TDlgSpringsDashpots none(TResultsData{}, info_);
    QVERIFY(!none.ErrorLabel()->text().isEmpty());
    none.FrequencyField()->setText(QStringLiteral("1500"));
    QVERIFY(!none.Values().ok);
  }
};

QTEST_MAIN(ResultsDialogsTest)
#include "results_dialogs_test.moc"
