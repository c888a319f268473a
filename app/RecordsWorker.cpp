#include "app/RecordsWorker.h"

#include "records/RecordStore.h"

CRecordsWorker::CRecordsWorker(QString path) : m_path(std::move(path)) {
    const QString file = m_path;
    m_make = [file] { return std::make_unique<tarvello::records::RecordStore>(file); };
    m_thread = std::thread([this] { Run(); });
}

CRecordsWorker::CRecordsWorker(QString name, MakeSource make)
    : m_path(std::move(name)), m_make(std::move(make)) {
    m_thread = std::thread([this] { Run(); });
}

CRecordsWorker::~CRecordsWorker() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
        m_jobs.clear();
    }
    m_wake.notify_all();
    m_thread.join();
}

void CRecordsWorker::Post(Job job) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_jobs.push_back(std::move(job));
    }
    m_wake.notify_all();
}

void CRecordsWorker::Run() {
    // The source, and so its connection, belongs to this thread from start to end.
    const std::unique_ptr<tarvello::records::RecordSource> source = m_make();
    for (;;) {
        Job job;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stop || !m_jobs.empty(); });
            if (m_stop)
                return;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        job(*source);
    }
}
