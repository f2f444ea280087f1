// SPDX-License-Identifier: MIT
#include "loader.h"

#include "measuredtext/value_forms.h"

#include <QFileInfo>
#include <QDateTime>
#include <QFileSystemWatcher>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <new>

namespace corvalen::sweepwindow {
namespace {

// How often the bar takes the reader's figure: ten times a second reads as smooth.
constexpr int kPollMs = 100;

QStringList FilesOf(const measured::BenchInput& bench)
{
    QStringList paths;
    for (const measured::SideInput* side : {&bench.source, &bench.load})
        if (const auto* file = std::get_if<measured::ReflectionFile>(&side->value))
            paths << QString::fromStdString(file->path);
    for (const measured::TwoPortInput& through : bench.chain)
        if (const auto* path = std::get_if<std::string>(&through.value))
            paths << QString::fromStdString(*path);
    return paths;
}

qint64 BytesOf(const QStringList& files)
{
    qint64 bytes = 0;
    for (const QString& path : files)
        bytes += std::max<qint64>(QFileInfo(path).size(), 0);
    return bytes;
}

std::vector<std::pair<qint64, qint64>> Stamps(const QStringList& files)
{
    std::vector<std::pair<qint64, qint64>> stamps;
    for (const QString& path : files) {
        const QFileInfo file(path);
        stamps.emplace_back(file.size(), file.exists() ? file.lastModified().toMSecsSinceEpoch() : -1);
    }
    return stamps;
}

// Never throws: a failure of the computation itself (memory, above all) is a line to show.
void Compute(Loaded& loaded, touchstone::ReadProgress* progress)
{
    try {
        if (measuredtext::HasFile(loaded.read.bench))
            loaded.outcome = ReadSweep(loaded.read.bench, progress);
        else
            loaded.oneOff = ComputeOneOffResult(loaded.read.bench);
    } catch (const std::bad_alloc&) {
        loaded.failure = "not enough memory to compute the values of these inputs";
    } catch (const std::exception& error) {
        loaded.failure = std::string("cannot compute the values of these inputs: ") + error.what();
    }
}

}  // namespace

Loader::Loader(QObject* parent, int stillMs)
    : QObject(parent)
    , poll_(new QTimer(this))
    , watcher_(new QFileSystemWatcher(this))
    , still_(new QTimer(this))
{
    poll_->setInterval(kPollMs);
    still_->setSingleShot(true);
    still_->setInterval(stillMs);
    connect(watcher_, &QFileSystemWatcher::fileChanged, this, &Loader::FileChanged);
    connect(still_, &QTimer::timeout, this, &Loader::CheckStill);
}

Loader::~Loader()
{
    Stop();
    if (worker_)
        worker_->wait();
}

bool Loader::Busy() const
{
    return worker_ || waiting_;
}

void Loader::Load(ReadTexts read, LoadOrigin origin)
{
    watched_ = read;
    const QStringList files = FilesOf(read.bench);
    waiting_ = Job{std::move(read), origin};
    if (running_)
        running_->cancelled = true;
    emit Started(BytesOf(files));
    if (!worker_)
        StartNext();
}

void Loader::Stop()
{
    waiting_.reset();
    watched_.reset();
    still_->stop();
    if (running_)
        running_->cancelled = true;
}

void Loader::StartNext()
{
    if (!waiting_)
        return;
    auto loaded = std::make_shared<Loaded>();
    loaded->read = std::move(waiting_->read);
    loaded->origin = waiting_->origin;
    waiting_.reset();
    auto progress = std::make_shared<touchstone::ReadProgress>();
    running_ = progress;
    const qint64 totalBytes = std::max<qint64>(BytesOf(FilesOf(loaded->read.bench)), 1);
    // The worker has its own copies of the inputs and writes only into `loaded`, read here once it ends.
    worker_ = QThread::create([loaded, progress] { Compute(*loaded, progress.get()); });
    worker_->setParent(this);
    connect(worker_, &QThread::finished, worker_, &QObject::deleteLater);
    const auto ended = [this, loaded, progress] {
        worker_ = nullptr;
        poll_->stop();
        poll_->disconnect();
        if (running_ == progress)
            running_.reset();
        if (!progress->cancelled)
            Done(loaded);
        StartNext();
    };
    connect(worker_, &QThread::finished, this, ended);
    connect(poll_, &QTimer::timeout, this, [this, progress, totalBytes] {
        emit Progress(static_cast<int>(std::min<qint64>(100, static_cast<qint64>(progress->bytesRead) * 100 / totalBytes)));
    });
    poll_->start();
    worker_->start();
    // A machine out of threads (its limit reached by other programs) makes none: the work is done
    // here, the window waiting for it, rather than never.
    if (!worker_->isRunning() && !worker_->isFinished()) {
        worker_->deleteLater();
        Compute(*loaded, progress.get());
        ended();
    }
}

void Loader::Done(const std::shared_ptr<Loaded>& loaded)
{
    for (const QString& path : FilesOf(loaded->read.bench))
        if (QFileInfo::exists(path) && !loaded->files.contains(path))
            loaded->files << path;
    Watch(loaded->files);
    emit Finished(loaded);
}

// A file saved by replacing it leaves the watch; it is watched again once read.
void Loader::Watch(const QStringList& files)
{
    if (!watcher_->files().isEmpty())
        watcher_->removePaths(watcher_->files());
    if (!files.isEmpty())
        watcher_->addPaths(files);
}

void Loader::FileChanged()
{
    if (!watched_)
        return;
    stamps_ = Stamps(FilesOf(watched_->bench));
    still_->start();
}

// Read again only once every file kept its size and time over a whole interval.
void Loader::CheckStill()
{
    if (!watched_)
        return;
    auto stamps = Stamps(FilesOf(watched_->bench));
    if (stamps != stamps_) {
        stamps_ = std::move(stamps);
        still_->start();
        return;
    }
    Load(*watched_, LoadOrigin::Reload);
}

}  // namespace corvalen::sweepwindow
