#include "app/RecordsWorker.h"

#include "records/RecordStore.h"

CRecordsWorker::CRecordsWorker(QString path) : m_path(std::move(path)) {
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
    // The store, and so its connection, belongs to this thread from start to end.
    tarvello::records::RecordStore store(m_path);
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
        job(store);
    }
}
