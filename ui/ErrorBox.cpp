#include "ui/ErrorBox.h"

#include <QApplication>
#include <QMessageBox>

#include <utility>

namespace nc {
namespace {

ErrorHook& Hook()
{
    static ErrorHook hook;
    return hook;
}

} // namespace

ErrorHook SetErrorHook(ErrorHook hook)
{
    return std::exchange(Hook(), std::move(hook));
}

QString ErrorBoxTitle()
{
    const QString name = QApplication::applicationName();
    return name.isEmpty() ? QStringLiteral("neurocontrol") : name;
}

void ShowError(const QString& message)
{
    if (Hook()) {
        Hook()(message);
        return;
    }
    QMessageBox::critical(QApplication::activeWindow(), ErrorBoxTitle(), message);
}

} // namespace nc
