#pragma once

// The main window on a generated store that has been analysed to its end.

#include "GeneratedStore.h"
#include "RecordingSink.h"
#include "shell/FolderTreeView.h"
#include "shell/MainWindow.h"
#include "shell/MessageListView.h"
#include "shell/SaveCommandRunner.h"
#include "shell/ShellSession.h"
#include "store/StoreFilePair.h"

#include <QCoreApplication>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QtTest>

#include <string>

namespace tarnwick::shell {

struct OpenWindow {
  RecordingSink sink;
  ShellSession session{sink};
  MainWindow frame{session};

  bool open(const GeneratedStore& store) {
    frame.resize(1280, 800);
    frame.show();
    if (!store::openStoreFiles(session.files(), store.edb(), store.stm()).opened) return false;
    session.setPaths(store.edb(), store.stm());
    if (!session.analyse(&frame)) return false;
    QCoreApplication::processEvents();
    return true;
  }

  // The tree item of a mailbox, or of a folder path below it ("Inbox", "Inbox/Sub").
  QTreeWidgetItem* item(const std::string& mailbox, const std::string& folder = {}) const {
    QTreeWidgetItem* at = nullptr;
    QTreeWidgetItem* root = frame.leftView()->topLevelItem(0);
    for (int i = 0; root && i < root->childCount(); ++i)
      if (root->child(i)->text(0).toStdString() == mailbox) at = root->child(i);
    for (const QString& level : QString::fromStdString(folder).split('/', Qt::SkipEmptyParts)) {
      QTreeWidgetItem* next = nullptr;
      for (int i = 0; at && i < at->childCount(); ++i)
        if (at->child(i)->text(0) == level) next = at->child(i);
      at = next;
    }
    return at;
  }

  void check(QTreeWidgetItem* item) {
    item->setCheckState(0, Qt::Checked);
    QCoreApplication::processEvents();
  }

  int checkedItems() const {
    int checked = 0;
    for (QTreeWidgetItemIterator it(frame.leftView()); *it; ++it)
      if ((*it)->checkState(0) != Qt::Unchecked) ++checked;
    return checked;
  }

  SaveCommandRunner::Hooks& hooks() { return frame.saveCommand().hooks(); }

  // Waits up to 20 s for the list fill and the preview to end.
  bool idle() {
    for (int i = 0; i < 2000; ++i) {
      const RunningWork work = session.work().runningWork();
      if (!work.listFill && !work.bodyLoad) return true;
      QTest::qWait(10);
    }
    return false;
  }

  // Chooses a folder in the tree and waits for its rows.
  bool list(const std::string& mailbox, const std::string& folder) {
    QTreeWidgetItem* at = item(mailbox, folder);
    if (!at) return false;
    frame.leftView()->setFocus();
    frame.leftView()->setCurrentItem(at);
    return idle();
  }

  // The row of a listed message (its id as the manifest writes it).
  QTreeWidgetItem* row(const std::string& idHex) const {
    const QByteArray id = QByteArray::fromHex(QByteArray::fromStdString(idHex));
    QTreeWidget* rows = frame.listView()->rows();
    for (int i = 0; i < rows->topLevelItemCount(); ++i)
      if (MessageListView::messageIdOf(rows->topLevelItem(i)) == id) return rows->topLevelItem(i);
    return nullptr;
  }

  // Clicks a row as the user does and waits for its preview.
  bool click(QTreeWidgetItem* at) {
    QTreeWidget* rows = frame.listView()->rows();
    rows->scrollToItem(at);
    rows->setFocus();
    const QRect rect = rows->visualItemRect(at);
    QTest::mouseClick(rows->viewport(), Qt::LeftButton, {}, QPoint(rect.left() + 10, rect.center().y()));
    return idle();
  }
};

}  // namespace tarnwick::shell
