// The history view's database thread: every query of the records file runs here, on a store
// (and so a Qt SQL connection) of its own, never on the UI thread. Jobs run in the order given;
// each posts its result back to the UI thread (pages/BackgroundRun.h), where it is dropped if
// its receiver is gone.
#pragma once

#include <QString>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include <memory>

#include "records/RecordSource.h"

class CRecordsWorker {
  public:
    using Job = std::function<void(tarvello::records::RecordSource&)>;
    using MakeSource = std::function<std::unique_ptr<tarvello::records::RecordSource>()>;

    // The station's records file at path.
    explicit CRecordsWorker(QString path);
    // Another source (the plant database), made on the thread; name says which for a person.
    CRecordsWorker(QString name, MakeSource make);
    ~CRecordsWorker(); // finishes the job in hand, drops the rest, joins
    CRecordsWorker(const CRecordsWorker&) = delete;
    CRecordsWorker& operator=(const CRecordsWorker&) = delete;

    QString Path() const { return m_path; }
    void Post(Job job);

  private:
    void Run();

    const QString m_path;
    MakeSource m_make;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Job> m_jobs;
    bool m_stop = false;
    std::thread m_thread;
};
