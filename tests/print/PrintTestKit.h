// What the printing tests share: a back-end that keeps what it is given, a
// clock moved by hand and a recorder of the messages shown.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "print/JobClock.h"
#include "print/PageText.h"
#include "print/PrintBackend.h"
#include "print/PrintJob.h"

namespace tamsivane::testing {

// Raw jobs as strings (one per job opened, with whether it was closed);
// documents as text pages.
class KeepingBackend final : public PrintBackend {
public:
    struct Job {
        std::string bytes;
        bool closed = false;
    };

    std::unique_ptr<PageSurface> StartDocument(const PrintSettings&, std::string_view,
                                               DocumentFailure& failure) override {
        failure = documentFailure;
        if (failure != DocumentFailure::None) return nullptr;
        ++documents;
        return std::make_unique<TextPages>(metrics, pages, pageCount);
    }
    std::unique_ptr<RawOutput> OpenRaw(const PrintSettings&, int& error) override {
        error = openError;
        if (error) return nullptr;
        jobs.push_back(std::make_shared<Job>());
        return std::make_unique<Output>(jobs.back(), writeError, closeError);
    }

    PageMetrics metrics{60, 80};
    DocumentFailure documentFailure = DocumentFailure::None;
    int openError = 0;
    int writeError = 0;
    int closeError = 0;
    int documents = 0;
    std::string pages;
    int pageCount = 0;
    std::vector<std::shared_ptr<Job>> jobs;

private:
    class Output final : public RawOutput {
    public:
        Output(std::shared_ptr<Job> job, int writeError, int closeError)
            : job_(std::move(job)), writeError_(writeError), closeError_(closeError) {}
        int Write(std::string_view bytes) override {
            if (writeError_) return writeError_;
            job_->bytes.append(bytes);
            return 0;
        }
        int Close() override {
            job_->closed = true;
            return closeError_;
        }

    private:
        std::shared_ptr<Job> job_;
        int writeError_;
        int closeError_;
    };
};

class ManualClock final : public JobClock {
public:
    Clock::time_point Now() const override { return now_; }
    void CallAt(Clock::time_point deadline, std::function<void()> due) override {
        deadline_ = deadline;
        due_ = std::move(due);
    }
    void Cancel() override { due_ = nullptr; }
    void Advance(std::chrono::milliseconds by) {
        now_ += by;
        if (due_ && now_ >= deadline_) std::exchange(due_, nullptr)();
    }

private:
    Clock::time_point now_{};
    Clock::time_point deadline_{};
    std::function<void()> due_;
};

struct ShownMessage {
    int id;
    std::string text;
};

// Keeps the messages; safe from any thread.
class MessageLog {
public:
    PrintMessages Sink() {
        return [this](int id, std::string_view text) {
            std::lock_guard lock(mutex_);
            messages_.push_back({id, std::string(text)});
        };
    }
    std::vector<ShownMessage> Messages() const {
        std::lock_guard lock(mutex_);
        return messages_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<ShownMessage> messages_;
};

} // namespace tamsivane::testing
