#include "app/HostBars.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "config/AppProfile.h"
#include "config/ResourceStrings.h"

namespace tamsivane {
namespace {

constexpr std::string_view kPolicySection = "Settings";
constexpr std::string_view kPolicyName = "HostScripts";

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A bar: a framed row that holds the given widgets, stretched by the first.
QFrame* Bar(QWidget* parent, const char* name, std::initializer_list<QWidget*> widgets) {
    auto* bar = new QFrame(parent);
    bar->setObjectName(name);
    bar->setFrameShape(QFrame::StyledPanel);
    bar->setAutoFillBackground(true);
    bar->setBackgroundRole(QPalette::ToolTipBase);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(6, 3, 6, 3);
    bool first = true;
    for (QWidget* widget : widgets) {
        widget->setParent(bar);
        row->addWidget(widget, first ? 1 : 0);
        first = false;
    }
    bar->hide();
    return bar;
}

QPushButton* Button(const char* caption, const char* name) {
    auto* button = new QPushButton(caption);
    button->setObjectName(name);
    return button;
}

} // namespace

HostScriptPolicy ReadHostScriptPolicy(const AppProfile& profile) {
    const int stored = profile.GetInt(kPolicySection, kPolicyName, 0);
    switch (stored) {
    case static_cast<int>(HostScriptPolicy::Refuse):
        return HostScriptPolicy::Refuse;
    case static_cast<int>(HostScriptPolicy::Allow):
        return HostScriptPolicy::Allow;
    default:
        return HostScriptPolicy::Ask;
    }
}

void WriteHostScriptPolicy(AppProfile& profile, HostScriptPolicy policy) {
    profile.SetInt(kPolicySection, kPolicyName, static_cast<int>(policy));
}

HostBars::HostBars(CVT420Doc& doc, QWidget* parent) : QWidget(parent), doc_(doc) {
    auto* question = new QLabel(Text(ResourceString(Msg::HostScriptQuestion)));
    QFont bold = question->font();
    bold.setBold(true);
    question->setFont(bold);
    summary_ = new QLabel;
    summary_->setObjectName("hostScriptSummary");
    summary_->setTextFormat(Qt::PlainText);
    dropped_ = new QLabel;
    dropped_->setObjectName("hostScriptDropped");
    auto* words = new QWidget;
    auto* lines = new QVBoxLayout(words);
    lines->setContentsMargins(0, 0, 0, 0);
    lines->addWidget(question);
    lines->addWidget(summary_);
    lines->addWidget(dropped_);
    QPushButton* once = Button("Run once", "hostScriptRunOnce");
    QPushButton* session = Button("Allow for this session", "hostScriptAllowSession");
    QPushButton* refuse = Button("Refuse", "hostScriptRefuse");
    connect(once, &QPushButton::clicked, this, [this] { Answer(HostScriptAnswer::RunOnce); });
    connect(session, &QPushButton::clicked, this,
            [this] { Answer(HostScriptAnswer::AllowSession); });
    connect(refuse, &QPushButton::clicked, this, [this] { Answer(HostScriptAnswer::Refuse); });
    question_ = Bar(this, "hostScriptBar", {words, once, session, refuse});

    noticeText_ = new QLabel;
    noticeText_->setObjectName("hostNoticeText");
    noticeText_->setTextFormat(Qt::PlainText);
    noticeText_->setWordWrap(true);
    noticeText_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QPushButton* close = Button("Close", "hostNoticeClose");
    connect(close, &QPushButton::clicked, this, [this] { doc_.DismissHostNotice(); });
    notice_ = Bar(this, "hostNotice", {noticeText_, close});

    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);
    rows->addWidget(question_);
    rows->addWidget(notice_);
    doc_.AddObserver(this);
    Refresh();
}

HostBars::~HostBars() { doc_.RemoveObserver(this); }

void HostBars::PostRefresh() {
    if (refreshPosted_.exchange(true)) return;
    QMetaObject::invokeMethod(this, &HostBars::Refresh, Qt::QueuedConnection);
}

void HostBars::Refresh() {
    refreshPosted_.store(false);
    const std::optional<HostScriptGate::Question> pending = doc_.PendingHostScript();
    if (pending) {
        summary_->setText(Text(pending->summary));
        dropped_->setText(
            Text(FormatResource(Msg::HostScriptsDropped, {std::to_string(pending->dropped)})));
        dropped_->setVisible(pending->dropped > 0);
    }
    question_->setVisible(pending.has_value());
    const std::string notice = doc_.HostNoticeText();
    noticeText_->setText(Text(notice));
    notice_->setVisible(!notice.empty());
}

void HostBars::Answer(HostScriptAnswer answer) { doc_.AnswerHostScript(answer); }

} // namespace tamsivane
