// The one seam for the kit's modal prompts.
//
// Every question and warning of CWarnDlg, every modal exec() of a dialog built on CBaseDialog
// (wait, progress, file dialogs, and the pages' own dialogs) and every notice of CInformationDlg
// and CSnapshotInfoWnd passes through CPromptHook. With no answerer set (the program), modal
// dialogs run their own modal loop and notices simply show. A test sets an answerer, usually by
// keeping a CPromptScript alive, and then:
//   - sees every prompt (kind, dialog class, title, text, the dialog itself) before it runs;
//   - answers a modal prompt with a dialog result (1 accepted / yes, 0 rejected / no): the dialog
//     then ends with that result exactly as if the operator had answered (its accepted(),
//     rejected() and finished() signals are emitted) without ever entering a modal loop;
//   - or returns CPromptHook::kRunModal to let the real modal loop run (for a dialog that a worker
//     or a timer of the test ends by itself).
// An answerer may act on the dialog before answering: for a file dialog, find the embedded
// QFileDialog and selectFile() the path the operator would choose.
// Notices are reported with kind Notice; their answer is ignored and they show as usual.
// GUI thread only.
#pragma once

#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <deque>
#include <functional>
#include <limits>

class QDialog;

struct CPrompt {
    enum Kind { Warn, Question, Exec, Notice };
    Kind kind = Exec;
    QString className;  // class of the dialog: "CWarnDlg", "ChaseDialog", "CFileDialog", ...
    QString title;
    QString text;
    QPointer<QWidget> dialog;  // null for a question that could not be asked (no parent)
};

class CPromptHook {
public:
    static constexpr int kRunModal = std::numeric_limits<int>::min();
    using Answerer = std::function<int(const CPrompt&)>;

    // Sets the answerer (an empty one restores the modal loops); returns the previous one.
    static Answerer SetAnswerer(Answerer answerer);
    static bool IsActive();

    // Runs a modal prompt: the answerer's result, or runModal() when there is none or it asks
    // for the modal loop.
    static int Exec(QDialog* dialog, const CPrompt& prompt, const std::function<int()>& runModal);
    // Reports a prompt that needs no answer (a notice, a question not asked).
    static void Notify(const CPrompt& prompt);
};

// A test's script of answers, installed for as long as it lives. Modal prompts take the queued
// answers in order; once the queue is empty they get the default answer. Every prompt, notices
// included, is recorded.
class CPromptScript {
public:
    explicit CPromptScript(int defaultAnswer = 0);
    ~CPromptScript();
    CPromptScript(const CPromptScript&) = delete;
    CPromptScript& operator=(const CPromptScript&) = delete;

    CPromptScript& Then(int answer);
    CPromptScript& Then(std::function<int(const CPrompt&)> answer);
    void SetDefault(int answer) { m_default = answer; }

    const QList<CPrompt>& Prompts() const { return m_prompts; }
    QStringList Texts(CPrompt::Kind kind) const;
    int Count(CPrompt::Kind kind) const;
    int Pending() const { return int(m_answers.size()); }
    void Clear() { m_prompts.clear(); }

private:
    int Answer(const CPrompt& prompt);

    int m_default;
    std::deque<std::function<int(const CPrompt&)>> m_answers;
    QList<CPrompt> m_prompts;
    CPromptHook::Answerer m_previous;
};
