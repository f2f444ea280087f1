// SPDX-License-Identifier: MIT
#pragma once

// Reading the files and computing what they give, off the interface thread:
// one job at a time on a worker, a newer set of inputs replacing the one
// waiting and stopping the one running (a read stops at its next chunk, and
// whatever a stopped job gives is dropped). The files read are watched; one
// that changes is read again once its size and time have stood still for a
// moment, so a file still being written is not taken half way. No widgets:
// signals for the bytes read and the result.

#include "bench_result.h"
#include "bench_texts.h"

#include <QObject>
#include <QStringList>

#include <memory>
#include <optional>
#include <string>
#include <vector>

class QFileSystemWatcher;
class QThread;
class QTimer;

namespace corvalen::sweepwindow {

enum class LoadOrigin { Edit, Reload };

// What one set of inputs gave: the files read and their sweep, or the one-off
// values of fixed sides, or the one line saying why the computation failed.
struct Loaded {
    ReadTexts read;
    LoadOrigin origin = LoadOrigin::Edit;
    ReadOutcome outcome;
    std::optional<OneOff> oneOff;
    std::string failure;
    QStringList files;  // the files it read, newest first in the recent files
};

class Loader final : public QObject {
    Q_OBJECT
public:
    // `stillMs`: how long a changed file must keep its size and time before it is read again.
    explicit Loader(QObject* parent = nullptr, int stillMs = kStillMs);
    // Waits for the job running: it uses nothing of the loader, but must end before the program does.
    ~Loader() override;

    void Load(ReadTexts read, LoadOrigin origin = LoadOrigin::Edit);
    // Stops the job and forgets the inputs: a file changed now is not read again.
    void Stop();
    bool Busy() const;

    // An analyser saving a file writes for a while; a pause this long ends it.
    static constexpr int kStillMs = 300;

signals:
    // A job asked for, and the bytes of the files it reads.
    void Started(qint64 fileBytes);
    // Percent of those bytes read, a few times a second while the worker reads.
    void Progress(int percent);
    void Finished(std::shared_ptr<Loaded> loaded);

private:
    struct Job {
        ReadTexts read;
        LoadOrigin origin;
    };
    void StartNext();
    void Done(const std::shared_ptr<Loaded>& loaded);
    void Watch(const QStringList& files);
    void FileChanged();
    void CheckStill();

    std::optional<Job> waiting_;
    std::optional<ReadTexts> watched_;  // the inputs read again when a file changes
    std::shared_ptr<touchstone::ReadProgress> running_;  // of the job on the worker
    QThread* worker_ = nullptr;
    QTimer* poll_;
    QFileSystemWatcher* watcher_;
    QTimer* still_;
    std::vector<std::pair<qint64, qint64>> stamps_;  // size and time of each file watched
};

}  // namespace corvalen::sweepwindow
