#include "platform/feedback.h"

#include "platform/userinterface.h"

namespace Zelkor {

CancelableWork::CancelableWork(UserInterface *ui, const QString &line1, const QString &label, const QString &line2)
    : m_ui(ui)
{
    setStage(line1, label, line2);
}

CancelableWork::~CancelableWork()
{
    close();
}

void CancelableWork::close()
{
    if (m_ui)
        m_ui->closeWorkMessage();
    m_ui = nullptr;
}

void CancelableWork::setStage(const QString &line1, const QString &label, const QString &line2)
{
    m_feedback.setLabel(label);
    if (m_ui)
        m_ui->showCancelableWork(line1, line2, &m_feedback);
}

} // namespace Zelkor
