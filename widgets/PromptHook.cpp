#include "widgets/PromptHook.h"

#include <QDialog>

namespace {
CPromptHook::Answerer& CurrentAnswerer()
{
    static CPromptHook::Answerer answerer;
    return answerer;
}
}  // namespace

CPromptHook::Answerer CPromptHook::SetAnswerer(Answerer answerer)
{
    Answerer previous = std::move(CurrentAnswerer());
    CurrentAnswerer() = std::move(answerer);
    return previous;
}

bool CPromptHook::IsActive()
{
    return bool(CurrentAnswerer());
}

int CPromptHook::Exec(QDialog* dialog, const CPrompt& prompt, const std::function<int()>& runModal)
{
    // A copy: the answerer may replace itself while it runs.
    const Answerer answerer = CurrentAnswerer();
    if (!answerer)
        return runModal();
    const int answer = answerer(prompt);
    if (answer == kRunModal)
        return runModal();
    if (dialog)
        dialog->done(answer);
    return answer;
}

void CPromptHook::Notify(const CPrompt& prompt)
{
    const Answerer answerer = CurrentAnswerer();
    if (answerer)
        answerer(prompt);
}

CPromptScript::CPromptScript(int defaultAnswer) : m_default(defaultAnswer)
{
    m_previous = CPromptHook::SetAnswerer([this](const CPrompt& prompt) { return Answer(prompt); });
}

CPromptScript::~CPromptScript()
{
    CPromptHook::SetAnswerer(std::move(m_previous));
}

CPromptScript& CPromptScript::Then(int answer)
{
    m_answers.push_back([answer](const CPrompt&) { return answer; });
    return *this;
}

CPromptScript& CPromptScript::Then(std::function<int(const CPrompt&)> answer)
{
    m_answers.push_back(std::move(answer));
    return *this;
}

QStringList CPromptScript::Texts(CPrompt::Kind kind) const
{
    QStringList texts;
    for (const CPrompt& p : m_prompts) {
        if (p.kind == kind)
            texts.append(p.text);
    }
    return texts;
}

int CPromptScript::Count(CPrompt::Kind kind) const
{
    int n = 0;
    for (const CPrompt& p : m_prompts)
        n += p.kind == kind ? 1 : 0;
    return n;
}

int CPromptScript::Answer(const CPrompt& prompt)
{
    m_prompts.append(prompt);
    // Notices and questions that were not asked take no answer.
    if (prompt.kind == CPrompt::Notice || !prompt.dialog)
        return 0;
    if (m_answers.empty())
        return m_default;
    const auto answer = std::move(m_answers.front());
    m_answers.pop_front();
    return answer(prompt);
}
