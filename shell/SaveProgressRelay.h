#pragma once

#include "export/SaveObserver.h"

#include <QObject>
#include <QString>

namespace tarnwick::shell {

class SaveProgressDialog;

// Carries the save worker's reports to the save dialog. The engine calls it on the
// worker's thread; every report leaves as a queued signal, so the dialog changes its
// controls on the user-interface thread, in the order the worker reported.
class SaveProgressRelay : public QObject, public exporter::SaveObserver {
  Q_OBJECT

 public:
  explicit SaveProgressRelay(QObject* parent = nullptr) : QObject(parent) {}

  // Wires every report to its control of `dialog` (the end is the caller's to wire).
  void connectTo(SaveProgressDialog& dialog);

  void countingShown(bool visible) override { Q_EMIT countingChanged(visible); }
  void currentFolder(const std::u16string& path) override { Q_EMIT folderChanged(QString::fromStdU16String(path)); }
  void counters(std::uint32_t written, std::uint32_t count) override { Q_EMIT countersChanged(written, count); }
  void currentProgress(int percent) override { Q_EMIT currentChanged(percent); }
  void overallProgress(int percent) override { Q_EMIT overallChanged(percent); }
  void attachmentsShown(bool visible) override { Q_EMIT attachmentsChanged(visible); }

  // The worker has ended (its result is ready to be taken).
  void workerEnded() { Q_EMIT ended(); }

 Q_SIGNALS:
  void countingChanged(bool visible);
  void folderChanged(const QString& path);
  void countersChanged(quint32 written, quint32 count);
  void currentChanged(int percent);
  void overallChanged(int percent);
  void attachmentsChanged(bool visible);
  void ended();
};

}  // namespace tarnwick::shell
