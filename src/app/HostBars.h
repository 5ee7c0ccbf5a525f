// What a session window shows above the terminal about its host: the
// question whether a script the host asked for may run, and the notice of
// what the host's bytes caused (script errors, refused scripts, transfer
// errors), with repeats merged.  Neither is modal, so the session works on
// while they are up, and however much the host sends there is one of each.
#pragma once

#include <QWidget>

#include <atomic>

#include "session/CVT420Doc.h"

class QLabel;

namespace tamsivane {

class AppProfile;

// The user's standing choice for scripts the host starts, kept in the
// application profile; Ask unless the user chose otherwise.
HostScriptPolicy ReadHostScriptPolicy(const AppProfile& profile);
void WriteHostScriptPolicy(AppProfile& profile, HostScriptPolicy policy);

class HostBars final : public QWidget, public SessionObserver {
    Q_OBJECT
public:
    HostBars(CVT420Doc& doc, QWidget* parent);
    // Stops watching the session first.
    ~HostBars() override;

    // SessionObserver, any thread: the bars are brought up to date from
    // the event loop, once however often they are called meanwhile.
    void HostScriptQuestionChanged() override { PostRefresh(); }
    bool HostNoticeChanged() override {
        PostRefresh();
        return true;
    }

private:
    void PostRefresh();
    void Refresh();
    void Answer(HostScriptAnswer answer);

    CVT420Doc& doc_;
    std::atomic<bool> refreshPosted_{false};
    QWidget* question_;
    QLabel* summary_;
    QLabel* dropped_;
    QWidget* notice_;
    QLabel* noticeText_;
};

} // namespace tamsivane
