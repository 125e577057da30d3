// The message sink: what a message returns with no sink installed, and
// that a sink replaces and restores the previous one.
#include "gui/core/Messages.hpp"

#include <QtTest>

using namespace terva::gui;

class MessagesTest : public QObject {
  Q_OBJECT

 private slots:
  void withoutASinkOkOrCancel() {
    const TMessageSink previous = SetMessageSink({});
    QCOMPARE(ShowMessage(TMessageKind::Information, "Title", "text"), int(MbOk));
    QCOMPARE(ShowMessage(TMessageKind::Question, "Title", "text", MbYes | MbNo | MbCancel), int(MbCancel));
    QCOMPARE(ShowMessage(TMessageKind::Question, "Title", "text", MbYes | MbNo), int(MbCancel));
    SetMessageSink(previous);
  }

  void sinkAnswersAndIsReplaced() {
    QList<TMessage> first;
    const TMessageSink previous = SetMessageSink([&](const TMessage& message) {
      first.append(message);
      return int(MbNo);
    });
    QCOMPARE(ShowMessage(TMessageKind::Warning, "Save", "Save changes?", MbYes | MbNo), int(MbNo));
    QCOMPARE(first.size(), 1);
    QCOMPARE(first[0].kind, TMessageKind::Warning);
    QCOMPARE(first[0].title, QString("Save"));
    QCOMPARE(first[0].buttons, MbYes | MbNo);

    const TMessageSink mine = SetMessageSink([](const TMessage&) { return int(MbYes); });
    QCOMPARE(ShowMessage(TMessageKind::Question, "", "", MbYes), int(MbYes));
    SetMessageSink(mine);
    QCOMPARE(ShowMessage(TMessageKind::Error, "", "again"), int(MbNo));
    QCOMPARE(first.size(), 2);
    SetMessageSink(previous);
  }
};

QTEST_GUILESS_MAIN(MessagesTest)
#include "messages_test.moc"
